/* Unsigned int arithmetic wraps modulo 65536. */
unsigned max = 65535, zero = 0, three_hundred = 300;
unsigned r_inc; /* expect 0 */
unsigned r_dec; /* expect 65535 */
unsigned r_square; /* expect 1 */
unsigned r_product; /* expect 24464 */
unsigned r_negated; /* expect 65236 */
unsigned r_sum; /* expect 65534 */

void main(void) {
  r_inc = max + 1;
  r_dec = zero - 1;
  r_square = max * max;
  r_product = three_hundred * three_hundred;
  r_negated = -three_hundred;
  r_sum = max + max;
}
