/* 16-bit arithmetic stays 16-bit until a long operand or a cast widens it. */
unsigned a = 300, b = 200;
int sa = 300, sb = 200;
long r_narrow; /* expect 60000 */
long r_wide; /* expect 60000 */
long r_wrapped; /* expect -5536 */
unsigned long r_unsigned; /* expect 120000 */
long r_cut; /* expect 54464 */

void main(void) {
  r_narrow = a * b;
  r_wide = (long)sa * sb;
  r_wrapped = (int)(a * b);
  r_unsigned = a * b * 2UL;
  r_cut = (unsigned)(a * b * 2u);
}
