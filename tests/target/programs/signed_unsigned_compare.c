/* Comparisons after the usual conversions: int meets unsigned as unsigned,
   unsigned int meets long as long. */
int minus_one = -1;
unsigned one = 1, big = 0xFFFF;
long lminus_one = -1;
unsigned long ulone = 1;
char c = 200;
int r_int_unsigned; /* expect 0 */
int r_long_unsigned; /* expect 1 */
int r_long_ulong; /* expect 0 */
int r_equal_bits; /* expect 1 */
int r_char_int; /* expect 1 */
int r_int_ulong; /* expect 0 */
int r_ge; /* expect 1 */

void main(void) {
  r_int_unsigned = minus_one < one;
  r_long_unsigned = lminus_one < one;
  r_long_ulong = lminus_one < ulone;
  r_equal_bits = minus_one == big;
  r_char_int = c > minus_one;
  r_int_ulong = minus_one < ulone;
  r_ge = big >= one;
}
