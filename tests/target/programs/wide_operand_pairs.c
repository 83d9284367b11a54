/* A long operand computed first and a word one after it, each left in
   registers of its own (DE:BC and HL): widening the word for the long
   operation, or moving it to DE for a comparison of its own, must not
   overwrite the long. */
int i256 = 256;
int i1 = 1;
unsigned u0 = 0u;
unsigned u37950 = 37950u;
long l1 = 1L;
int i0 = 0;
int im7 = -7;
unsigned u254 = 254u;
long lmin = (-2147483647L-1);
long lmax = 2147483647L;
unsigned long r_or_widened; /* expect 255 */
unsigned long r_or_of_comparison; /* expect 255 */
int r_sum_tested; /* expect 1 */
long r_sum; /* expect 9677251 */
unsigned long r_word_first; /* expect 255 */
long r_shift_by_comparison; /* expect 0 */
long r_sum_with_word_difference; /* expect 2147483594 */

void main(void) {
  r_or_widened = ((unsigned long)i1) | (65534u + i256);
  r_or_of_comparison = ((unsigned)(((unsigned long)(255L > i1)) | (65534u + i256)));
  r_sum_tested = 0 < (1 & ((255L * u37950) + (u0 - 65535u)));
  r_sum = (255L * u37950) + (u0 - 65535u);
  r_word_first = (i256 - 2) | (l1 + 0L);
  r_shift_by_comparison = (28276u & lmin) >> (i0 < (u254 - 65535u));
  r_sum_with_word_difference = 4294967295UL ? ((-(lmax ^ (-64L))) + (1u - (im7 + 65535u))) : 1L;
}
