/* && and || evaluate left to right and stop early; ! gives 0 or 1. */
int calls;
int touch(int v) {
  calls++;
  return v;
}
long big = 0x10000;
int r_and[2]; /* expect 0 1 */
int r_or[2]; /* expect 1 0 */
int r_calls; /* expect 3 */
int r_not[4]; /* expect 1 0 0 1 */
int r_long_truth; /* expect 1 */

void main(void) {
  calls = 0;
  r_and[0] = touch(0) && touch(1);
  r_and[1] = touch(2) && touch(3);
  r_or[0] = 5 || touch(9);
  r_or[1] = 0 || 0;
  r_calls = calls;
  r_not[0] = !0;
  r_not[1] = !7;
  r_not[2] = !big;
  r_not[3] = !(big & 0xFFFF);
  r_long_truth = big && 1;
}
