/* long comparisons where the halves disagree. */
long a = 65536, b = 65535, c = -65536, d = -65535, big = 0x7FFFFFFFL, minus_one = -1;
unsigned long ua = 0x80000000UL, ub = 0x7FFFFFFFUL;
int r_signed[6]; /* expect 1 1 1 0 1 1 */
int r_unsigned[3]; /* expect 1 0 1 */
int r_equal[2]; /* expect 0 1 */

void main(void) {
  r_signed[0] = a > b;
  r_signed[1] = c < d;
  r_signed[2] = big > minus_one;
  r_signed[3] = c >= d;
  r_signed[4] = minus_one <= 0;
  r_signed[5] = d > c;
  r_unsigned[0] = ua > ub;
  r_unsigned[1] = ua < ub;
  r_unsigned[2] = ua >= 0x80000000UL;
  r_equal[0] = a == b;
  r_equal[1] = a == b + 1;
}
