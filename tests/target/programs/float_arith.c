/* float add, subtract, multiply and divide, rounded to nearest. */
float a = 1.5, b = 2.25, ten = 10.0, four = 4.0, three = 3.0, half = -0.5;
float one = 1.0, tenth = 0.1, fifth = 0.2;
float r_add; /* expect 3.75 */
float r_sub; /* expect -0.75 */
float r_mul; /* expect -1.5 */
float r_div; /* expect 2.5 */
float r_third; /* expect 0.333333343267 */
float r_tenths; /* expect 0.300000011921; sdcc 0.29999998: its float addition truncates the sum */
float r_neg; /* expect -1.5 */
float r_big; /* expect 1.0e30 */

void main(void) {
  r_add = a + b;
  r_sub = a - b;
  r_mul = three * half;
  r_div = ten / four;
  r_third = one / three;
  r_tenths = tenth + fifth;
  r_neg = -a;
  r_big = 1.0e15 * 1.0e15;
}
