/* Signed 16-bit multiplication with negative operands and by powers of two. */
int a = -123, b = 45, c = -181, d = 181, e = 255, f = 257;
int r_mul[5]; /* expect -5535 32761 -32761 -1 32705 */
int r_pow2[3]; /* expect -246 -984 -15744 */

void main(void) {
  r_mul[0] = a * b;
  r_mul[1] = c * c;
  r_mul[2] = c * d;
  r_mul[3] = (int)((unsigned)e * (unsigned)f);
  r_mul[4] = f * 127 + 66;
  r_pow2[0] = a * 2;
  r_pow2[1] = a * 8;
  r_pow2[2] = a * 128;
}
