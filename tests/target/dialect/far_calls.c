/* Functions in extended memory called from root code and back: each call
   goes through the function's root bouncer and the kernel's bank switch,
   which leaves a word of its own between the function's return address
   and its caller's, so the parameters lie past it. Extended-memory code
   calls root code directly, root code calls back into extended memory,
   and calls nest: every return finds its caller's stack and registers.
   A global initialisation section of an extended-memory function is
   called by the chain with its page selected. */
int r_sum; /* expect 110 */
int r_nested; /* expect 15 */
long r_wide; /* expect 305419897 */
int r_through_pointer; /* expect 42 */
char r_byte; /* expect 7 */
int r_same_stack; /* expect 1 */
int r_initialised; /* expect 9 */
int r_between; /* expect 50 */

unsigned sp_before;
unsigned sp_after;

root int add_hundred(int x) { return x + 100; }

xmem int twice_then_root(int a, int b) {
  int local;
  local = a * 2;
  return add_hundred(local) + b;
}

xmem int count_down(int n);

/* Root code between two calls into extended memory. */
root int through_root(int n) { return count_down(n); }

xmem int count_down(int n) {
  if (n == 0)
    return 0;
  return n + through_root(n - 1);
}

xmem long wide(long v, int step) { return v + step; }

xmem int answer(void) { return 42; }

/* From extended memory into extended memory. */
xmem int answer_plus(int v) { return answer() + v; }

xmem char low_byte(int v) { return (char)(v & 0xFF); }

xmem void set_up(void) {
#GLOBAL_INIT { r_initialised = 9; }
}

void main(void) {
  int (*call)(void);
#asm
  ld hl,0
  add hl,sp
  ld (sp_before),hl
#endasm
  r_sum = twice_then_root(3, 4);
  r_nested = count_down(5);
  r_wide = wide(0x12345678L, 1);
  call = answer;
  r_through_pointer = call();
  r_byte = low_byte(0x1207);
  r_between = answer_plus(8);
#asm
  ld hl,0
  add hl,sp
  ld (sp_after),hl
#endasm
  r_same_stack = sp_before == sp_after;
}
