/* The most negative int: its halves, remainders, shifts and comparisons. */
int m = -32767 - 1;
int minus_one = -1, three = 3;
int r_m; /* expect -32768 */
int r_half; /* expect -16384 */
int r_rem; /* expect -2 */
unsigned r_as_unsigned; /* expect 32768 */
int r_shifted; /* expect -1 */
int r_less; /* expect 1 */
int r_wrapped; /* expect 32767 */

void main(void) {
  r_m = m;
  r_half = m / 2;
  r_rem = m % three;
  r_as_unsigned = m;
  r_shifted = m >> 15;
  r_less = m < minus_one;
  r_wrapped = (int)((unsigned)m - 1u);
}
