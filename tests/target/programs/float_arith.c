/* float add, subtract, multiply and divide, rounded to nearest. */
float a = 1.5f, b = 2.25f, ten = 10.0f, four = 4.0f, three = 3.0f, half = -0.5f;
float one = 1.0f, tenth = 0.1f, fifth = 0.2f;
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
  r_big = 1.0e15f * 1.0e15f;
}
