/* A three-level char array and a long matrix indexed by variables. */
char cube[2][3][4];
long lm[2][2];
int r_sum; /* expect 276 */
char r_elem; /* expect 123 */
long r_lm[4]; /* expect -1 65536 70000 -70000; sdcc -1 65536 70000 0x110FEE90: it negates a long array element with a wrong high word */
int r_size; /* expect 24 */

void main(void) {
  int i, j, k;
  r_sum = 0;
  for (i = 0; i < 2; i++)
    for (j = 0; j < 3; j++)
      for (k = 0; k < 4; k++) {
        cube[i][j][k] = i * 100 + j * 10 + k;
        r_sum += cube[i][j][k] - 100 * i;
      }
  r_elem = cube[1][2][3];
  lm[0][0] = -1;
  lm[0][1] = 65536;
  lm[1][0] = 70000;
  lm[1][1] = -lm[1][0];
  for (i = 0; i < 2; i++)
    for (j = 0; j < 2; j++)
      r_lm[i * 2 + j] = lm[i][j];
  r_size = sizeof cube;
}
