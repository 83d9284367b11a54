/* The conditional operator with mixed types, and the comma operator. */
int zero = 0, one = 1;
long big = 100000;
int r_pick[2]; /* expect 5 -5 */
long r_mixed; /* expect 100000 */
unsigned r_promoted; /* expect 65535 */
int r_comma; /* expect 3 */
int r_side; /* expect 2 */
int r_nested; /* expect 30 */

void main(void) {
  int x;
  r_pick[0] = one ? 5 : -5;
  r_pick[1] = zero ? 5 : -5;
  r_mixed = one ? big : 1;
  r_promoted = one ? -1 : 1u;
  x = 0;
  r_comma = (x++, x++, x + 1);
  r_side = x;
  r_nested = zero ? 10 : one ? zero ? 20 : 30 : 40;
}
