/* A goto from inside a slice back to a label before it leaves the slice:
   the slice's three pushed words go first, so the slice pushes them anew
   when it is reached again and the function returns to its caller. A goto
   that stays inside the slice body keeps them. */
int r_rounds; /* expect 3 */
int r_inside; /* expect 2 */
int r_same_stack; /* expect 1 */

unsigned sp_before;
unsigned sp_after;
int rounds;
int inside;

int back_before_the_slice(void) {
  int local;
  local = 7;
  rounds = 0;
again:
  rounds++;
  slice(30, 5) {
    if (rounds < 3)
      goto again;
  }
  return rounds + local - 7;
}

int within_the_slice(void) {
  inside = 0;
  slice(30, 5) {
  top:
    inside++;
    if (inside < 2)
      goto top;
  }
  return inside;
}

void main(void) {
#asm
  ld hl,0
  add hl,sp
  ld (sp_before),hl
#endasm
  r_rounds = back_before_the_slice();
  r_inside = within_the_slice();
#asm
  ld hl,0
  add hl,sp
  ld (sp_after),hl
#endasm
  r_same_stack = sp_before == sp_after;
}
