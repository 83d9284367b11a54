/* A return from inside a slice leaves the function through its epilog:
   the slice's three pushed words must go first, also from a loop or an
   if inside the slice, or the function returns through them. The
   caller's stack pointer is the same after every such call. A slice
   with no resume point runs its body from the top at each call. Its body
   sees no automatic variable, so what it reads is static. */
int r_found[4]; /* expect 6 0 27 -1 */
long r_long; /* expect 305419896 */
char r_char; /* expect 65 */
int r_after; /* expect 12 */
int r_same_stack; /* expect 1 */

unsigned sp_before;
unsigned sp_after;
int later;
int key;
int factor;

/* The locals sit below the slice's words: the return releases both. */
int find(int k) {
  static int i;
  int scale;
  scale = 3;
  key = k;
  factor = scale;
  slice(30, 5) {
    for (i = 0; i < 10; i++) {
      if (i == key)
        return i * factor;
    }
  }
  return -1;
}

/* The value lives in BC:HL while the words go. */
long wide(int k) {
  key = k;
  slice(30, 5) {
    if (key)
      return 0x12345678L;
  }
  return 0;
}

char letter(void) {
  slice(30, 5) {
    return 'A';
  }
  return 'Z';
}

/* A return of the slice body compiles first, so the function's epilog
   lies there; the return after the slice reaches the same epilog. */
int twice(int k) {
  key = k;
  slice(30, 5) {
    if (key > 5)
      return key;
    later = key;
  }
  return later * 2;
}

void main(void) {
#asm
  ld hl,0
  add hl,sp
  ld (sp_before),hl
#endasm
  r_found[0] = find(2);
  r_found[1] = find(0);
  r_found[2] = find(9);
  r_found[3] = find(20);
  r_long = wide(1);
  r_char = letter();
  r_after = twice(6) + twice(3);
#asm
  ld hl,0
  add hl,sp
  ld (sp_after),hl
#endasm
  r_same_stack = sp_before == sp_after;
}
