/* do-while loops that run once, many times, and with continue. */
int r_once; /* expect 1 */
int r_digits; /* expect 5 */
int r_digit_sum; /* expect 15 */
int r_continue; /* expect 25 */

void main(void) {
  int n, count, v;
  count = 0;
  do
    count++;
  while (0);
  r_once = count;
  v = 12345;
  count = 0;
  n = 0;
  do {
    n += v % 10;
    v /= 10;
    count++;
  } while (v != 0);
  r_digits = count;
  r_digit_sum = n;
  n = 0;
  v = 0;
  do {
    v++;
    if (v % 2 == 0)
      continue;
    n += v;
  } while (v < 10);
  r_continue = n;
}
