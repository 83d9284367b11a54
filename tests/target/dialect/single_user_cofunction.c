/* Two tasks call one single-user cofunction: it serves the first call to
   its end while the second waits, then the second, which starts it over
   with its own argument. */
int r_log[6]; /* expect 1 2 10 2 3 20 */
int r_turns; /* expect 3 */

int n;
int a;
int b;
int done_a;
int done_b;

void put(int v) {
  r_log[n] = v;
  n++;
}

scofunc int server(int x) {
  put(x);
  yield;
  put(x + 1);
  return x * 10;
}

void main(void) {
  for (r_turns = 0; !(done_a && done_b) && r_turns < 20; r_turns++) {
    costate {
      if (!done_a) {
        waitfordone { a = server(1); };
        put(a);
        done_a = 1;
      }
    }
    costate {
      if (!done_b) {
        waitfordone { b = server(2); };
        put(b);
        done_b = 1;
      }
    }
  }
}
