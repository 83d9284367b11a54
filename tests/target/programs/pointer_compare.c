/* Pointer comparisons and null pointers. */
int buf[4];
int r_order[4]; /* expect 1 0 1 1 */
int r_null[3]; /* expect 1 0 1 */

int *first_negative(int *p, int n) {
  while (n-- > 0) {
    if (*p < 0)
      return p;
    p++;
  }
  return 0;
}

void main(void) {
  int *a, *b;
  a = &buf[1];
  b = &buf[3];
  r_order[0] = a < b;
  r_order[1] = a > b;
  r_order[2] = a + 2 == b;
  r_order[3] = b - 2 >= a;
  buf[0] = 1;
  buf[1] = 2;
  buf[2] = -3;
  buf[3] = 4;
  r_null[0] = first_negative(buf, 4) == &buf[2];
  r_null[1] = first_negative(buf, 2) != 0;
  r_null[2] = !first_negative(buf, 1);
}
