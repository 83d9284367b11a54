/* An xstring list: the strings with their zeros, then the table of their
   physical addresses (4 bytes each), which the name holds. */
xstring words { "one", "two", "three" };

char r_first[2]; /* expect 111 110 */
char r_third[3]; /* expect 116 104 114 */
unsigned r_gap; /* expect 4 */
unsigned r_high; /* expect 0 */

void main(void) {
  unsigned *table;
  char *s;
  table = (unsigned *)(unsigned)words;
  s = (char *)table[0];
  r_first[0] = s[0];
  r_first[1] = s[1];
  s = (char *)table[4];
  r_third[0] = s[0];
  r_third[1] = s[1];
  r_third[2] = s[2];
  r_gap = table[2] - table[0];
  r_high = table[1];
}
