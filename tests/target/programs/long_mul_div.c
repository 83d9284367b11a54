/* long multiply and divide with every sign combination. */
long p = 123456, n = -123456, d = 789, nd = -789;
long r_mul[4]; /* expect 97406784 -97406784 -97406784 97406784 */
long r_div[4]; /* expect 156 -156 -156 156 */
long r_rem[4]; /* expect 372 -372 372 -372 */
unsigned long r_udiv; /* expect 5441 */

void main(void) {
  unsigned long u;
  r_mul[0] = p * d;
  r_mul[1] = n * d;
  r_mul[2] = p * nd;
  r_mul[3] = n * nd;
  r_div[0] = p / d;
  r_div[1] = n / d;
  r_div[2] = p / nd;
  r_div[3] = n / nd;
  r_rem[0] = p % d;
  r_rem[1] = n % d;
  r_rem[2] = p % nd;
  r_rem[3] = n % nd;
  u = 4293000000UL;
  r_udiv = u / 789000UL;
}
