/* xdata tables in extended memory: the name holds the physical address of
   the first byte, each element least significant byte first in its type's
   size, a string with its zero; a second table follows the first. (On
   the simulator, which has no MMU, the low 16 bits of the address reach
   the bytes.) */
xdata numbers { 10, 20, 30000, 0x12345L, 'A' };
xdata text { "hi", 7 };

int r_sum; /* expect 30010 */
int r_long_low; /* expect 0x2345 */
int r_long_high; /* expect 1 */
char r_char; /* expect 65 */
char r_text[3]; /* expect 104 105 0 */
int r_after_text; /* expect 7 */
unsigned r_distance; /* expect 11 */

void main(void) {
  int *p;
  char *c;
  p = (int *)(unsigned)numbers;
  r_sum = p[0] + p[2];
  r_long_low = p[3];
  r_long_high = p[4];
  r_char = *((char *)p + 10);
  c = (char *)(unsigned)text;
  r_text[0] = c[0];
  r_text[1] = c[1];
  r_text[2] = c[2];
  r_after_text = *(int *)(c + 3);
  r_distance = (unsigned)text - (unsigned)numbers;
}
