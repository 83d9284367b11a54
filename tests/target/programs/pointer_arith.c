/* Pointer arithmetic scales by the element size; differences count elements. */
int ints[6] = {10, 20, 30, 40, 50, 60};
long longs[4] = {100000, -2, 3, 4};
int r_deref[3]; /* expect 40 30 60 */
int r_diff; /* expect 3 */
int r_bytes; /* expect 12 */
int r_less; /* expect 1 */
long r_long_elem; /* expect 3 */
int r_sum; /* expect 210 */

void main(void) {
  int *p, *q;
  long *lp;
  p = ints;
  q = p + 3;
  r_deref[0] = *q;
  r_deref[1] = q[-1];
  r_deref[2] = *(p + 5);
  r_diff = q - p;
  lp = longs;
  lp += 2;
  r_bytes = (char *)lp - (char *)longs + 4;
  r_less = p < q;
  r_long_elem = *lp;
  r_sum = 0;
  for (p = ints; p != ints + 6; p++)
    r_sum += *p;
}
