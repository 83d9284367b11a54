/* Array initialisers: partial (zero-filled), unsized and nested. (SDCC
   refuses a nested array initialised without inner braces.) */
int partial[5] = {1, 2};
int unsized[] = {9, 8, 7};
int nested[2][3] = {{1, 2, 3}, {4, 5, 6}};
long longs[3] = {-1, 70000};
char chars[4] = {'x', 255};
int r_partial[5]; /* expect 1 2 0 0 0 */
int r_unsized_size; /* expect 6 */
int r_unsized[3]; /* expect 9 8 7 */
int r_nested[2]; /* expect 2 6 */
long r_longs[3]; /* expect -1 70000 0 */
char r_chars[4]; /* expect 120 255 0 0 */

void main(void) {
  int k;
  for (k = 0; k < 5; k++)
    r_partial[k] = partial[k];
  r_unsized_size = sizeof unsized;
  for (k = 0; k < 3; k++)
    r_unsized[k] = unsized[k];
  r_nested[0] = nested[0][1];
  r_nested[1] = nested[1][2];
  for (k = 0; k < 3; k++)
    r_longs[k] = longs[k];
  for (k = 0; k < 4; k++)
    r_chars[k] = chars[k];
}
