/* Arrays of pointers to arrays of different lengths. */
int row0[3] = {1, 2, 3};
int row1[1] = {10};
int row2[4] = {100, 200, 300, 400};
int *rows[3];
int lengths[3] = {3, 1, 4};
int r_sums[3]; /* expect 6 10 1000 */
int r_picked; /* expect 300 */
int r_total; /* expect 1016 */

void main(void) {
  int i, j;
  rows[0] = row0;
  rows[1] = row1;
  rows[2] = row2;
  r_total = 0;
  for (i = 0; i < 3; i++) {
    r_sums[i] = 0;
    for (j = 0; j < lengths[i]; j++)
      r_sums[i] += rows[i][j];
    r_total += r_sums[i];
  }
  r_picked = *(rows[2] + 2);
}
