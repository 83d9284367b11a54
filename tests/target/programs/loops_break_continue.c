/* for, while and do loops with break and continue, nested. */
int r_odd_sum; /* expect 2500 */
int r_first_square; /* expect 32 */
int r_do_count; /* expect 1 */
int r_nested; /* expect 45 */
int r_while; /* expect 5050 */
int r_skip; /* expect 33 */

void main(void) {
  int i, j, n;
  r_odd_sum = 0;
  for (i = 0; i < 100; i++) {
    if (i % 2 == 0)
      continue;
    r_odd_sum += i;
  }
  for (i = 1;; i++)
    if (i * i > 1000)
      break;
  r_first_square = i;
  n = 0;
  do
    n++;
  while (n > 5);
  r_do_count = n;
  n = 0;
  for (i = 0; i < 10; i++)
    for (j = 0; j < 10; j++) {
      if (j >= i)
        break;
      n++;
    }
  r_nested = n;
  i = 0;
  n = 0;
  while (i <= 100)
    n += i++;
  r_while = n;
  n = 0;
  i = 0;
  while (1) {
    i++;
    if (i > 8)
      break;
    if (i == 3 || i == 6)
      continue;
    n += i;
  }
  r_skip = n + 6;
}
