/* Bubble sort of ints with negative values. */
int data[10] = {5, -3, 99, 0, -32768, 32767, 7, 7, -1, 42};
int r_sorted[10]; /* expect -32768 -3 -1 0 5 7 7 42 99 32767 */
int r_swaps; /* expect 19 */

void main(void) {
  int i, j, t, swapped;
  for (i = 0; i < 10; i++)
    r_sorted[i] = data[i];
  r_swaps = 0;
  for (i = 0; i < 9; i++) {
    swapped = 0;
    for (j = 0; j < 9 - i; j++)
      if (r_sorted[j] > r_sorted[j + 1]) {
        t = r_sorted[j];
        r_sorted[j] = r_sorted[j + 1];
        r_sorted[j + 1] = t;
        r_swaps++;
        swapped = 1;
      }
    if (!swapped)
      break;
  }
}
