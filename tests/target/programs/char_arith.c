/* char operands are widened before arithmetic and cut back on storing;
   but for + and - the dialect keeps two char operands a char. */
char a = 200, b = 100, zero = 0;
char bytes[4] = {0xFF, 0x80, 0x7F, 0x01};
int r_sum; /* expect 44; sdcc 300: standard C adds two chars as ints, the dialect as a char */
char r_stored; /* expect 44 */
int r_diff; /* expect 56; sdcc -200: standard C subtracts two chars as ints, the dialect as a char */
int r_mul; /* expect 20000 */
int r_div; /* expect 2 */
unsigned r_total; /* expect 511 */
char r_complement; /* expect 55 */
int r_compare; /* expect 1 */

void main(void) {
  int k;
  r_sum = a + b;
  r_stored = a + b;
  r_diff = zero - a;
  r_mul = a * b;
  r_div = a / b;
  r_total = 0;
  for (k = 0; k < 4; k++)
    r_total += bytes[k];
  r_complement = ~a;
  r_compare = a > b;
}
