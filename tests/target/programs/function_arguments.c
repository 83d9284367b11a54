/* Arguments of every type and in numbers, as the callee sees them. */
long mix(char c, int i, long l, unsigned u, char d) { return c + i * 2 + l + u + d; }
float fmix(float a, int b, float c) { return a * b + c; }
int many(int a, int b, int c, int d, int e, int f, int g, int h) {
  return a - b + c - d + e - f + g - h * 2;
}
int deref(int *p, long *q) { return *p + (int)*q; }
long r_mix; /* expect 100267 */
float r_fmix; /* expect 7.75 */
int r_many; /* expect -12 */
int r_deref; /* expect 30 */

void main(void) {
  int x;
  long y;
  x = 10;
  y = 20;
  r_mix = mix(200, -10, 100000, 65, 22);
  r_fmix = fmix(2.5, 3, 0.25);
  r_many = many(1, 2, 3, 4, 5, 6, 7, 8);
  r_deref = deref(&x, &y);
}
