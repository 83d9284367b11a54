/* A byte buffer summed with 8-bit and 16-bit accumulators, and packed into words. */
char buffer[8] = {0x12, 0x34, 0xFE, 0xDC, 0x80, 0x01, 0xFF, 0x00};
char r_byte_sum; /* expect 0xA0 */
unsigned r_word_sum; /* expect 0x3A0 */
unsigned r_words[4]; /* expect 0x1234 0xFEDC 0x8001 0xFF00 */
char r_xor; /* expect 0x7A */

void main(void) {
  int k;
  char s;
  s = 0;
  r_word_sum = 0;
  r_xor = 0;
  for (k = 0; k < 8; k++) {
    s += buffer[k];
    r_word_sum += buffer[k];
    r_xor ^= buffer[k];
  }
  r_byte_sum = s;
  for (k = 0; k < 4; k++)
    r_words[k] = ((unsigned)buffer[2 * k] << 8) | buffer[2 * k + 1];
}
