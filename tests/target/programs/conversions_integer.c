/* Conversions among char, int, unsigned, long and unsigned long. */
long l1 = 0x12345678, l2 = 0x1234ABCD, l3 = 0x1FF;
int neg = -2, mone = -1;
unsigned u = 0xFFFF, u40 = 40000;
char c = 200;
unsigned long ul = 0xFFFF8000;
int r_l_int[2]; /* expect 22136 -21555 */
char r_l_char; /* expect 255 */
long r_int_long; /* expect -2 */
long r_uns_long; /* expect 65535 */
unsigned long r_int_ulong; /* expect 4294967295 */
unsigned long r_uns_ulong; /* expect 65535 */
long r_char_long; /* expect 200 */
int r_ul_int; /* expect -32768 */
int r_uns_int; /* expect -25536 */
unsigned r_char_uns; /* expect 200 */
char r_int_char; /* expect 254 */

void main(void) {
  r_l_int[0] = (int)l1;
  r_l_int[1] = (int)l2;
  r_l_char = (char)l3;
  r_int_long = neg;
  r_uns_long = u;
  r_int_ulong = mone;
  r_uns_ulong = u;
  r_char_long = c;
  r_ul_int = (int)ul;
  r_uns_int = (int)u40;
  r_char_uns = c;
  r_int_char = (char)neg;
}
