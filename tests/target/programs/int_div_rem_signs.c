/* Division truncates toward zero; the remainder takes the dividend's sign. */
int a = 7, b = -7, c = 2, d = -2, e = 1000, f = -33;
int r_q[4]; /* expect 3 -3 -3 3 */
int r_r[4]; /* expect 1 -1 1 -1 */
int r_big[2]; /* expect -30 10 */

void main(void) {
  r_q[0] = a / c;
  r_q[1] = b / c;
  r_q[2] = a / d;
  r_q[3] = b / d;
  r_r[0] = a % c;
  r_r[1] = b % c;
  r_r[2] = a % d;
  r_r[3] = b % d;
  r_big[0] = e / f;
  r_big[1] = e % f;
}
