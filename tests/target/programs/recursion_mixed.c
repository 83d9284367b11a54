/* Deeper recursion: Ackermann, Euclid and the towers of Hanoi. */
int moves;

int ack(int m, int n) {
  if (m == 0)
    return n + 1;
  if (n == 0)
    return ack(m - 1, 1);
  return ack(m - 1, ack(m, n - 1));
}

unsigned gcd(unsigned a, unsigned b) {
  if (b == 0)
    return a;
  return gcd(b, a % b);
}

void hanoi(int n, int from, int to, int via) {
  if (n == 0)
    return;
  hanoi(n - 1, from, via, to);
  moves++;
  hanoi(n - 1, via, to, from);
}

int r_ack; /* expect 9 */
unsigned r_gcd; /* expect 21 */
int r_moves; /* expect 1023 */

void main(void) {
  r_ack = ack(2, 3);
  r_gcd = gcd(1071, 462);
  moves = 0;
  hanoi(10, 1, 3, 2);
  r_moves = moves;
}
