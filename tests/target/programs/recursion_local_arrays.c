/* Each activation has its own automatic array and structure. */
struct pair {
  int lo;
  int hi;
};

int depth_sum(int n) {
  auto int buf[4];
  auto struct pair p;
  int i, s;
  for (i = 0; i < 4; i++)
    buf[i] = n * 4 + i;
  p.lo = buf[0];
  p.hi = buf[3];
  s = 0;
  if (n > 0)
    s = depth_sum(n - 1);
  for (i = 0; i < 4; i++)
    s += buf[i];
  return s + p.hi - p.lo;
}

int r_sum; /* expect 294 */

void main(void) { r_sum = depth_sum(5); }
