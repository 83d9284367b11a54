/* float division whose exact quotient needs rounding. */
float one = 1.0, three = 3.0, seven = 7.0, ten = 10.0, big = 1.0e20;
float r_quotients[3]; /* expect 0.33333334 0.14285715 0.1 */
float r_big; /* expect 1.0e19 */
float r_exact; /* expect 0.4375 */

void main(void) {
  r_quotients[0] = one / three;
  r_quotients[1] = one / seven;
  r_quotients[2] = one / ten;
  r_big = big / ten;
  r_exact = seven / 16.0;
}
