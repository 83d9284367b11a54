/* The most negative long. */
long m = -2147483647L - 1;
long ten = 10, minus_one = -1;
long r_m; /* expect -2147483648 */
long r_half; /* expect -1073741824 */
long r_rem; /* expect -8 */
unsigned long r_as_unsigned; /* expect 2147483648 */
long r_shifted; /* expect -1 */
int r_less; /* expect 1 */
long r_plus_one; /* expect -2147483647 */
int r_low_word; /* expect 0 */

void main(void) {
  r_m = m;
  r_half = m / 2;
  r_rem = m % ten;
  r_as_unsigned = m;
  r_shifted = m >> 31;
  r_less = m < minus_one;
  r_plus_one = m + 1;
  r_low_word = (int)m;
}
