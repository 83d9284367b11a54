/* Conditions used as numbers and then tested again: each step that
   computes a new value from a 0 or 1 leaves flags and registers that no
   longer describe it, so the second test must look at the new value. */
int zero = 0;
int minus1 = -1;
long five = 5L;
unsigned long ulzero = 0UL;
int r_complement_tested; /* expect 1 */
int r_negation_tested; /* expect 0 */
int r_step_tested; /* expect 5 */
unsigned long r_widened_tested; /* expect 1 */
unsigned long r_product_tested; /* expect 1 */
long r_compared_again; /* expect 6 */
int r_compared_again_int; /* expect 1 */
int r_logical_of_complement; /* expect 1 */
long r_sum_of_condition; /* expect -65280 */

void main(void) {
  r_complement_tested = (~(3 && zero)) && 5;
  r_negation_tested = (-(zero || 0)) && 5;
  r_step_tested = (1 + ((-32767-1) > (five == 2147483647L))) ? 5 : 1;
  r_widened_tested = ((unsigned long)(!zero)) ? 1 : 57UL;
  r_product_tested = (1UL * (!(ulzero > (-1L)))) ? 1 : 57UL;
  r_compared_again = (((-1) <= minus1) == 0L) ? 0u : 6L;
  r_compared_again_int = ((zero < 1) == 0) ? 0 : 1;
  r_logical_of_complement = ((~((-3161) && zero)) && (-3161)) | 1;
  r_sum_of_condition = (1 && (~(!zero))) + (-65281L);
}
