/* A union's members overlay the same little-endian bytes. */
union overlay {
  long l;
  int i[2];
  char c[4];
  float f;
};
union overlay u;
char r_bytes[4]; /* expect 0x44 0x33 0x22 0x11 */
int r_words[2]; /* expect 0x3344 0x1122 */
long r_after; /* expect 0x1122FF44 */
long r_float_bits; /* expect 0x3FC00000 */
int r_size; /* expect 4 */

void main(void) {
  int k;
  u.l = 0x11223344;
  for (k = 0; k < 4; k++)
    r_bytes[k] = u.c[k];
  r_words[0] = u.i[0];
  r_words[1] = u.i[1];
  u.c[1] = 0xFF;
  r_after = u.l;
  u.f = 1.5;
  r_float_bits = u.l;
  r_size = sizeof u;
}
