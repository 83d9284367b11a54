/* Accumulating loops: Gauss sum, Collatz steps, powers. */
int r_gauss; /* expect 5050 */
int r_collatz; /* expect 111 */
long r_power; /* expect 1162261467 */
unsigned long r_power2; /* expect 2147483648 */

void main(void) {
  int i, steps, n;
  long p;
  unsigned long q;
  r_gauss = 0;
  for (i = 1; i <= 100; i++)
    r_gauss += i;
  n = 27;
  steps = 0;
  while (n != 1) {
    if (n & 1)
      n = 3 * n + 1;
    else
      n = n / 2;
    steps++;
  }
  r_collatz = steps;
  p = 1;
  for (i = 0; i < 19; i++)
    p *= 3;
  r_power = p;
  q = 1;
  for (i = 0; i < 31; i++)
    q += q;
  r_power2 = q;
}
