/* A cofunction stepped by a costate's waitfordone: each turn of the loop
   runs one step, the argument passes in the first, and the value comes
   back when the body ends. */
int r_log[5]; /* expect 7 8 9 27 1 */
int r_turns; /* expect 3 */

int n;
int result;
int w;
int done;

void put(int v) {
  r_log[n] = v;
  n++;
}

cofunc int triple(int x) {
  put(x);
  yield;
  put(x + 1);
  yield;
  put(x + 2);
  return x * 3 + 6;
}

/* A costate keeps no automatic variables: its turns leave the stack. */
void main(void) {
  for (r_turns = 0; !done && r_turns < 20; r_turns++) {
    costate {
      w = waitfordone { result = triple(7); };
      put(result);
      put(w);
      done = 1;
    }
  }
}
