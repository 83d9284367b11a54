#if 1
int a;
#else
int b;
#endif
#asm
#endasm
int after;
