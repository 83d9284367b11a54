#if 1
void f(void) { { ( [
#fatal "stop"
