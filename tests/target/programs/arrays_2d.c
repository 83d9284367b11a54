/* Arrays of arrays: element addressing, rows as pointers, sizes. */
int m[3][4];
int r_corner[2]; /* expect 0 23 */
int r_row_sums[3]; /* expect 26 66 106 */
int r_through_row; /* expect 12 */
int r_sizes[3]; /* expect 24 8 2 */
int r_computed; /* expect 21 */

void main(void) {
  int i, j;
  int *row;
  for (i = 0; i < 3; i++)
    for (j = 0; j < 4; j++)
      m[i][j] = i * 10 + j;
  r_corner[0] = m[0][0];
  r_corner[1] = m[2][3];
  for (i = 0; i < 3; i++) {
    r_row_sums[i] = 0;
    for (j = 0; j < 4; j++)
      r_row_sums[i] += m[i][j] + 5;
  }
  row = m[1];
  r_through_row = row[2];
  r_sizes[0] = sizeof m;
  r_sizes[1] = sizeof m[0];
  r_sizes[2] = sizeof m[0][0];
  i = 1;
  j = 2;
  r_computed = m[i + 1][j - 1];
}
