/* Unsigned division and remainder, also with the top bit set. */
unsigned a = 65535, b = 256, c = 40000, three = 3, top = 0x8000, seven = 7;
unsigned r_div[3]; /* expect 255 13333 4681 */
unsigned r_rem[3]; /* expect 255 1 1 */
unsigned r_by_top; /* expect 1 */
unsigned r_small_by_big; /* expect 0 */

void main(void) {
  r_div[0] = a / b;
  r_div[1] = c / three;
  r_div[2] = top / seven;
  r_rem[0] = a % b;
  r_rem[1] = c % three;
  r_rem[2] = top % seven;
  r_by_top = a / top;
  r_small_by_big = seven / c;
}
