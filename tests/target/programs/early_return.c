/* return from inside nested loops and switches. */
int find_pair(int target) {
  int i, j;
  for (i = 1; i < 20; i++)
    for (j = i; j < 20; j++)
      if (i * j == target)
        return i * 100 + j;
  return -1;
}

int kind(int v) {
  while (1) {
    switch (v & 3) {
    case 0: return 10;
    case 1: v++; break;
    default: return 20 + v;
    }
  }
}

int r_pairs[3]; /* expect 314 1313 -1 */
int r_kinds[3]; /* expect 10 22 23 */

void main(void) {
  r_pairs[0] = find_pair(42);
  r_pairs[1] = find_pair(169);
  r_pairs[2] = find_pair(401);
  r_kinds[0] = kind(4);
  r_kinds[1] = kind(1);
  r_kinds[2] = kind(3);
}
