/* Operations whose operand is a constant only once compiled, or a constant
   on the left: the result keeps the operation's type, and an operand
   pushed before the other turned out constant leaves the stack as it was. */
unsigned gu = 15u;
int gi = -7576;
unsigned long gul = 7UL;
int n = 3;
unsigned r_xor_constant_left; /* expect 18 */
unsigned r_or_constant_left; /* expect 53 */
unsigned r_and_constant_left; /* expect 18 */
unsigned long r_product_folded_to_zero; /* expect 0 */
unsigned long r_remainder_folded_to_zero; /* expect 0 */
int r_int_product_folded_to_zero; /* expect 0 */
unsigned long r_sum; /* expect 27 */
unsigned long r_sum_with_zero_remainder; /* expect 4292870144 */
unsigned long r_zero_remainder; /* expect 0 */
int r_zero_quotient_tested; /* expect 1 */
int r_stacked_then_local; /* expect 9 */
int r_stacked_right_dropped; /* expect 0 */

unsigned long product_by_zero(void) { return (gul + 2UL) * (0 || 0); }
unsigned long remainder_by_one(void) { return (gul + 2UL) % (256u || (-60)); }
int int_product_by_zero(void) { return (gi + 2) * (0 && n); }
/* n + 2 waits on the stack while 0 && n is compiled, and stays there as
   the value of the subtraction of 0. */
int stacked_then_local(void) {
  int a;
  a = 4;
  return ((n + 2) - (0 && n)) + a;
}
int stacked_right_dropped(void) {
  int a;
  a = 7;
  return (0 % ((n + 2) - (0 && n))) * a;
}

void main(void) {
  int i;
  r_xor_constant_left = gi % (69 ^ gu);
  r_or_constant_left = gi % (64 | gu);
  r_and_constant_left = gi % (0x4F & (gu + 59u));
  r_sum_with_zero_remainder = 4292870144UL + (0 + (0 % (255 * gu)));
  r_zero_remainder = 0 % (254UL ? ((gul * 54UL) ^ 0UL) : 2UL);
  r_zero_quotient_tested = !(0u ? 1 : (0u / (n <= 32767)));
  r_sum = 0UL;
  for (i = 0; i < 3; i++) {
    r_product_folded_to_zero = product_by_zero();
    r_remainder_folded_to_zero = remainder_by_one();
    r_int_product_folded_to_zero = int_product_by_zero();
    r_stacked_then_local = stacked_then_local();
    r_stacked_right_dropped = stacked_right_dropped();
    r_sum = r_sum + gul + 2UL;
  }
}
