/* unsigned long arithmetic wraps modulo 2^32; division of large values. */
unsigned long max = 0xFFFFFFFF, zero = 0, top = 0x80000000, ten = 10, three = 3;
unsigned long c = 65535;
unsigned long r_inc; /* expect 0 */
unsigned long r_dec; /* expect 4294967295 */
unsigned long r_div; /* expect 429496729 */
unsigned long r_rem; /* expect 5 */
unsigned long r_tdiv; /* expect 715827882 */
unsigned long r_trem; /* expect 2 */
unsigned long r_square; /* expect 4294836225 */
unsigned long r_wrapmul; /* expect 4294967294 */

void main(void) {
  r_inc = max + 1;
  r_dec = zero - 1;
  r_div = max / ten;
  r_rem = max % ten;
  r_tdiv = top / three;
  r_trem = top % three;
  r_square = c * c;
  r_wrapmul = max * 2;
}
