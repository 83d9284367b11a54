/* waitforfirstdone ends with the first cofunction to end; a waitfordone
   after it starts both again and waits for the last. Its result is the
   item number of the cofunction that ended last. */
int r_first; /* expect 2 */
int r_quick; /* expect 42 */
int r_quick_again; /* expect 10 */
int r_slow; /* expect 11 */
int r_both; /* expect 1 */
int r_turns; /* expect 4 */

int done;

cofunc int slow(int x) {
  yield;
  yield;
  return x + 1;
}

cofunc int quick(int x) {
  yield;
  return x * 2;
}

void main(void) {
  for (r_turns = 0; !done && r_turns < 20; r_turns++) {
    costate {
      r_first = waitforfirstdone { r_slow = slow(10); r_quick = quick(21); };
      r_both = waitfordone { r_slow = slow(10); r_quick_again = quick(5); };
      done = 1;
    }
  }
}
