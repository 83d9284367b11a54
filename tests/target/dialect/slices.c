/* Two slices take turns at their yields, one in a function called each
   turn, one straight in the loop; waitfor holds the first until the
   second sets the flag. A slice that ends runs again from its top at its
   next turn. The simulator has no timer, so a slice runs until it
   yields, waits or ends. */
int r_log[7]; /* expect 1 10 2 3 20 1 10 */
int r_turns; /* expect 3 */

int n;
int go;
char buffer[40];

void put(int v) {
  r_log[n] = v;
  n++;
}

void first(void) {
  slice(buffer, 40, 5) {
    put(1);
    yield;
    put(2);
    waitfor(go);
    put(3);
  }
}

void main(void) {
  for (r_turns = 0; r_turns < 3; r_turns++) {
    first();
    slice(40, 5) {
      put(10);
      go = 1;
      yield;
      put(20);
    }
  }
}
