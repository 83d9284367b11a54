/* waitforfirstdone over a single-user cofunction and another: the
   single-user one ends first and ends the wait, with its item number,
   though no variable takes its value. */
int r_first; /* expect 1 */
int r_turns; /* expect 2 */

int done;

scofunc int server(int x) {
  yield;
  return x;
}

cofunc int slow(int x) {
  yield;
  yield;
  yield;
  return x;
}

void main(void) {
  for (r_turns = 0; !done && r_turns < 20; r_turns++) {
    costate {
      r_first = waitforfirstdone { server(5); slow(6); };
      done = 1;
    }
  }
}
