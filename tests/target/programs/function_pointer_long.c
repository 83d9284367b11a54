/* Function pointers to functions taking and returning long and float. */
long twice(long v) { return v * 2; }
long negate(long v) { return -v; }
float halve(float f) { return f / 2.0; }

long (*lfn)(long);
float (*ffn)(float);
long r_long[2]; /* expect 140000 -70000 */
float r_float; /* expect 1.25 */

void main(void) {
  lfn = twice;
  r_long[0] = lfn(70000);
  lfn = negate;
  r_long[1] = (*lfn)(70000);
  ffn = halve;
  r_float = ffn(2.5);
}
