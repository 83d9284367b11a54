/* A sparse switch with negative and large case values. */
int pick(int v) {
  switch (v) {
  case -5: return 1;
  case 1: return 2;
  case 100: return 3;
  case 1000: return 4;
  case 30000: return 5;
  case -32767 - 1: return 6; /* -32768 is a long constant */
  }
  return 0;
}

int in[8] = {-5, 1, 100, 1000, 30000, -32767 - 1, 2, 999};
int r_picked[8]; /* expect 1 2 3 4 5 6 0 0 */

void main(void) {
  int i;
  for (i = 0; i < 8; i++)
    r_picked[i] = pick(in[i]);
}
