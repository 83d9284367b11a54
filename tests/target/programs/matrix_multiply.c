/* A 3x3 integer matrix product. */
int a[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
int b[3][3] = {{9, 8, 7}, {6, 5, 4}, {3, 2, 1}};
int r_product[9]; /* expect 30 24 18 84 69 54 138 114 90 */
long r_trace; /* expect 189 */

void main(void) {
  int i, j, k, s;
  for (i = 0; i < 3; i++)
    for (j = 0; j < 3; j++) {
      s = 0;
      for (k = 0; k < 3; k++)
        s += a[i][k] * b[k][j];
      r_product[i * 3 + j] = s;
    }
  r_trace = 0;
  for (i = 0; i < 3; i++)
    r_trace += r_product[i * 4];
}
