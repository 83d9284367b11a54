/* Prefix and postfix increments and decrements on every type and on pointers. */
int i = 5;
long arr[3] = {1, 2, 3};
int r_int[4]; /* expect 5 7 7 6 */
char r_char[2]; /* expect 0 255 */
long r_long[2]; /* expect 65536 65535 */
unsigned r_unsigned; /* expect 0 */
long r_pointer[2]; /* expect 2 3 */
float r_float; /* expect 2.5 */

void main(void) {
  int x;
  char c;
  long l;
  unsigned u;
  long *p;
  float f;
  x = i;
  r_int[0] = x++;
  r_int[1] = ++x;
  r_int[2] = x--;
  r_int[3] = x;
  c = 255;
  c++;
  r_char[0] = c;
  c--;
  r_char[1] = c;
  l = 65535;
  r_long[0] = ++l;
  r_long[1] = --l;
  u = 65535;
  u++;
  r_unsigned = u;
  p = arr;
  p++;
  r_pointer[0] = *p++;
  r_pointer[1] = *p;
  f = 1.5;
  f++;
  r_float = f;
}
