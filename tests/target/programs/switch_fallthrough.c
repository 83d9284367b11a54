/* Cases falling through, break inside, a nested switch and a char switch. */
int count(int v) {
  int n;
  n = 0;
  switch (v) {
  case 3:
    n += 100;
  case 2:
    n += 10;
  case 1:
    n += 1;
    break;
  case 4:
    switch (n) {
    case 0: n = 40; break;
    default: n = -1;
    }
    break;
  default:
    n = 7;
  }
  return n;
}

int letter(char c) {
  switch (c) {
  case 'a':
  case 'e':
  case 'i':
  case 'o':
  case 'u': return 1;
  case 200: return 2;
  default: return 0;
  }
}

int r_counts[6]; /* expect 7 1 11 111 40 7 */
int r_letters[4]; /* expect 1 0 2 1 */

void main(void) {
  int i;
  for (i = 0; i < 6; i++)
    r_counts[i] = count(i);
  r_letters[0] = letter('e');
  r_letters[1] = letter('b');
  r_letters[2] = letter(200);
  r_letters[3] = letter('u');
}
