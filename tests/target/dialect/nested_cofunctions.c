/* A cofunction that waits for another: the inner one's steps are the
   outer one's, and each value passes up when its body ends. */
int r_log[6]; /* expect 1 2 3 4 20 30 */
int r_turns; /* expect 2 */

int n;
int inner_value;
int outer_value;
int done;

void put(int v) {
  r_log[n] = v;
  n++;
}

cofunc int inner(int x) {
  put(x);
  yield;
  put(x + 1);
  return x * 10;
}

cofunc int outer(int x) {
  put(x);
  waitfordone { inner_value = inner(x + 1); };
  put(x + 3);
  return inner_value + 10;
}

void main(void) {
  for (r_turns = 0; !done && r_turns < 20; r_turns++) {
    costate {
      waitfordone { outer_value = outer(1); };
      put(inner_value);
      put(outer_value);
      done = 1;
    }
  }
}
