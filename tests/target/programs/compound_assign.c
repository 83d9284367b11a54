/* Every compound assignment, on int, long and char. */
int r_int[10]; /* expect 15 5 50 3 2 40 2 4 7 3 */
long r_long[5]; /* expect 170000 -30000 -3000000 33333 65536 */
char r_char[3]; /* expect 44 200 6 */

void main(void) {
  int x;
  long l;
  char c;
  x = 10; x += 5; r_int[0] = x;
  x = 10; x -= 5; r_int[1] = x;
  x = 10; x *= 5; r_int[2] = x;
  x = 10; x /= 3; r_int[3] = x;
  x = 17; x %= 5; r_int[4] = x;
  x = 10; x <<= 2; r_int[5] = x;
  x = 10; x >>= 2; r_int[6] = x;
  x = 12; x &= 5; r_int[7] = x;
  x = 3; x |= 5; r_int[8] = x;
  x = 6; x ^= 5; r_int[9] = x;
  l = 100000; l += 70000; r_long[0] = l;
  l = 40000; l -= 70000; r_long[1] = l;
  l = 30000; l *= -100; r_long[2] = l;
  l = 100000; l /= 3; r_long[3] = l;
  l = 1; l <<= 16; r_long[4] = l;
  c = 200; c += 100; r_char[0] = c;
  c = 100; c *= 2; r_char[1] = c;
  c = 250; c /= 40; r_char[2] = c;
}
