/* The usual arithmetic conversions between mixed operand types. */
unsigned u = 65535, two = 2;
int minus_one = -1, i = 1000;
long l = 1;
char c = 250;
float f = 0.5;
long r_unsigned_long; /* expect 65536 */
unsigned r_unsigned_int; /* expect 65534 */
unsigned r_char_unsigned; /* expect 249 */
long r_int_long; /* expect 1001 */
float r_int_float; /* expect 1000.5 */
long r_mul_widened; /* expect 1000000 */
unsigned long r_to_ulong; /* expect 4294967295 */
int r_division; /* expect 32767 */

void main(void) {
  r_unsigned_long = u + l;
  r_unsigned_int = u + minus_one;
  r_char_unsigned = c + u;
  r_int_long = i + l;
  r_int_float = i + f;
  r_mul_widened = (long)i * i;
  r_to_ulong = minus_one + 0UL;
  r_division = (int)(u / two);
}
