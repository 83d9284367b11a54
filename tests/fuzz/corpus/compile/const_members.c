struct S {
  const int y;
  shared const volatile char c;
  unsigned int const w;
  int * const p;
} s, *ps;
int f(void) { return s.y + ps->c; }
void g(void) { s.y = 1; }
