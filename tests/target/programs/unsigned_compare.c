/* Comparisons around 0x8000, where signed and unsigned order part ways. */
unsigned a = 0x8000, b = 0x7FFF, zero = 0, max = 0xFFFF;
int sa = -32767 - 1, sb = 32767;
int r_unsigned[4]; /* expect 1 0 1 1 */
int r_signed[3]; /* expect 0 1 1 */
int r_against_zero[3]; /* expect 0 1 1 */

void main(void) {
  r_unsigned[0] = a > b;
  r_unsigned[1] = a < b;
  r_unsigned[2] = max >= a;
  r_unsigned[3] = zero <= b;
  r_signed[0] = sa > sb;
  r_signed[1] = sa < sb;
  r_signed[2] = sa <= -1;
  r_against_zero[0] = max < 1;
  r_against_zero[1] = zero < 1;
  r_against_zero[2] = sa < 0;
}
