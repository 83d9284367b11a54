/* Pointers to pointers, written through and walked. */
int a = 1, b = 2;
int x, y;
int *table[2];
int r_values[2]; /* expect 7 9 */
int r_swapped[2]; /* expect 9 7 */
int r_through; /* expect 16 */

void swap(int **first, int **second) {
  int *t;
  t = *first;
  *first = *second;
  *second = t;
}

void main(void) {
  int **pp;
  x = 7;
  y = 9;
  table[0] = &x;
  table[1] = &y;
  r_values[0] = *table[0];
  r_values[1] = *table[1];
  swap(&table[0], &table[1]);
  r_swapped[0] = *table[0];
  r_swapped[1] = *table[1];
  pp = table;
  **pp = 14;
  r_through = y + *pp[1] - 5;
}
