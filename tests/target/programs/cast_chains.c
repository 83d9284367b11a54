/* Casts chained through narrower and wider types. */
long l = 0x12345678L;
int neg = -300;
float f = -1.75;
char r_char; /* expect 0x78 */
long r_sign_again; /* expect 0x5678 */
unsigned long r_via_char; /* expect 212 */
long r_via_unsigned; /* expect 65236 */
int r_float_char; /* expect 255 */
long r_float_int_long; /* expect -1 */

void main(void) {
  r_char = (char)(int)l;
  r_sign_again = (long)(int)l;
  r_via_char = (unsigned long)(char)neg;
  r_via_unsigned = (long)(unsigned)neg;
  r_float_char = (char)(int)f;
  r_float_int_long = (long)(int)f;
}
