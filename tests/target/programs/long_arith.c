/* long arithmetic with carries across the 16-bit halves and negative operands. */
long a = 100000, b = -3, c = 65535, d = 65536, seven = 7;
long r_add; /* expect 65536 */
long r_sub; /* expect -31072 */
long r_mul; /* expect -300000 */
long r_div; /* expect -33333 */
long r_rem; /* expect 1 */
long r_ndiv; /* expect -14285 */
long r_nrem; /* expect -5 */
long r_neg; /* expect -65535 */
long r_mul16; /* expect 6553500 */

void main(void) {
  r_add = c + 1;
  r_sub = a - d * 2;
  r_mul = a * b;
  r_div = a / b;
  r_rem = a % b;
  r_ndiv = -a / seven;
  r_nrem = -a % seven;
  r_neg = -c;
  r_mul16 = c * 100;
}
