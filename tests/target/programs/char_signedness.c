/* Plain char is unsigned in both compilers: 200 stays 200 when widened. */
char c = 200;
char r_minus_one; /* expect 255 */
int r_widened; /* expect 200 */
long r_long; /* expect 200 */
int r_shifted; /* expect 100 */
int r_sum; /* expect 200; sdcc 456: standard C adds two chars as ints, the dialect as a char (199), then the int 1 */
char r_wrapped; /* expect 0 */
int r_negative; /* expect 0 */
int r_product; /* expect 400 */

void main(void) {
  char d;
  r_minus_one = (char)-1;
  r_widened = c;
  r_long = c;
  r_shifted = c >> 1;
  d = 255;
  r_sum = c + d + 1;
  r_wrapped = d + 1;
  r_negative = c < 0;
  r_product = c * 2;
}
