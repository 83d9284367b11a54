/* float comparisons, also against converted integers. */
float a = 1.5, b = -2.0, zero = 0.0, tiny = 1.0e-30, big = 16777216.0;
long l = 16777217L;
int i = -2;
int r_lt; /* expect 0 */
int r_gt; /* expect 1 */
int r_eq_int; /* expect 1 */
int r_neg_zero; /* expect 1 */
int r_tiny; /* expect 1 */
int r_long_eq; /* expect 1; sdcc 0: it rounds 16777217 up to 16777218, a tie away from zero */
int r_le; /* expect 1 */
int r_ne; /* expect 1 */

void main(void) {
  r_lt = a < b;
  r_gt = a > b;
  r_eq_int = b == i;
  r_neg_zero = -zero == zero;
  r_tiny = tiny > zero;
  r_long_eq = big == l;
  r_le = b <= b;
  r_ne = a != b;
}
