/* The sieve of Eratosthenes over a char array. */
char composite[200];
int r_count; /* expect 46 */
int r_last; /* expect 199 */
int r_tenth; /* expect 29 */

void main(void) {
  int i, j, n;
  for (i = 0; i < 200; i++)
    composite[i] = 0;
  n = 0;
  for (i = 2; i < 200; i++) {
    if (composite[i])
      continue;
    n++;
    if (n == 10)
      r_tenth = i;
    r_last = i;
    for (j = i + i; j < 200; j += i)
      composite[j] = 1;
  }
  r_count = n;
}
