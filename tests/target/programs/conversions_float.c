/* float to and from the integer types, at the limits of long and unsigned long. */
float f1 = 3.75, f2 = -3.75, f3 = 123456.5, f4 = -2147483648.0, f5 = 2147483520.0;
float f6 = 4294967040.0, f7 = 65535.0, f8 = 200.0;
int i = -32768;
long l = 16777217L, l2 = 16777219L, lmax = 2147483647L;
unsigned long ulmax = 0xFFFFFFFF;
unsigned umax = 65535;
char c = 255;
int r_to_int[2]; /* expect 3 -3 */
long r_to_long[3]; /* expect 123456 -2147483648 2147483520 */
unsigned long r_to_ulong; /* expect 4294967040 */
unsigned r_to_unsigned; /* expect 65535 */
char r_to_char; /* expect 200 */
float r_from_int; /* expect -32768.0 */
float r_from_long[3]; /* expect 16777216.0 16777220.0 2147483648.0; sdcc 16777218.0 16777220.0 2147483648.0: it rounds a tie away from zero */
float r_from_ulong; /* expect 4294967296.0 */
float r_from_unsigned; /* expect 65535.0 */
float r_from_char; /* expect 255.0 */

void main(void) {
  r_to_int[0] = (int)f1;
  r_to_int[1] = (int)f2;
  r_to_long[0] = (long)f3;
  r_to_long[1] = (long)f4;
  r_to_long[2] = (long)f5;
  r_to_ulong = (unsigned long)f6;
  r_to_unsigned = (unsigned)f7;
  r_to_char = (char)f8;
  r_from_int = i;
  r_from_long[0] = l;
  r_from_long[1] = l2;
  r_from_long[2] = lmax;
  r_from_ulong = ulmax;
  r_from_unsigned = umax;
  r_from_char = c;
}
