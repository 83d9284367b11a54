/* A break or continue inside a slice leaves the slice for its loop: the
   slice's three pushed words must go first, or the code after it reads
   its locals 6 bytes off and the function returns through them. A slice
   that ends runs again from its top at its next turn. */
int r_broken; /* expect 8 */
int r_continued; /* expect 12 */
int r_switched; /* expect 4 */
int r_same_stack; /* expect 1 */

unsigned sp_before;
unsigned sp_after;
int n;
int m;
int step;

int leave_by_break(void) {
  int local;
  local = 5;
  n = 0;
  while (1) {
    slice(30, 5) {
      n++;
      if (n == 3)
        break;
    }
  }
  return local + n;
}

int leave_by_continue(void) {
  int i;
  m = 0;
  for (i = 0; i < 3; i++) {
    step = i;
    slice(30, 5) {
      if (step < 2) {
        m++;
        continue;
      }
      m += 10;
    }
  }
  return m;
}

/* A break that leaves a switch inside the slice stays inside it. */
int break_in_a_switch(void) {
  int local;
  local = 3;
  step = 1;
  slice(30, 5) {
    switch (step) {
    case 1:
      step = 4;
      break;
    default:
      step = 9;
    }
  }
  return step + local - 3;
}

void main(void) {
#asm
  ld hl,0
  add hl,sp
  ld (sp_before),hl
#endasm
  r_broken = leave_by_break();
  r_continued = leave_by_continue();
  r_switched = break_in_a_switch();
#asm
  ld hl,0
  add hl,sp
  ld (sp_after),hl
#endasm
  r_same_stack = sp_before == sp_after;
}
