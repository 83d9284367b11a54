/* Static locals keep their value across calls; each function has its own. */
int counter(int reset) {
  static int n;
  if (reset)
    n = 0;
  else
    n++;
  return n;
}

long total(long add, int reset) {
  static long sum;
  if (reset)
    sum = 0;
  sum += add;
  return sum;
}

int table_entry(int i) {
  static int table[4] = {5, 6, 7, 8};
  return table[i];
}

int r_counts[3]; /* expect 1 2 3 */
long r_sums[2]; /* expect 70000 69999 */
int r_entry; /* expect 7 */

void main(void) {
  counter(1);
  r_counts[0] = counter(0);
  r_counts[1] = counter(0);
  r_counts[2] = counter(0);
  total(0, 1);
  r_sums[0] = total(70000, 0);
  r_sums[1] = total(-1, 0);
  r_entry = table_entry(2);
}
