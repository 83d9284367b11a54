/* Operator precedence and associativity. */
int a = 2, b = 3, c = 4, d = 5;
int r_values[8]; /* expect 14 20 -4 1 0 1 13 7 */

void main(void) {
  r_values[0] = a + b * c;
  r_values[1] = (a + b) * c;
  r_values[2] = a - b - c + 1;
  r_values[3] = a < b == 1;
  r_values[4] = a & b == 3;
  r_values[5] = a | b && 0 || c == 4;
  r_values[6] = d * 2 + b % 2 * 3 / 1;
  r_values[7] = 100 / d / 2 - b;
}
