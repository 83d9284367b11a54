/* String literals: escapes, sizes and walking them. (The dialect does not
   join adjacent literals.) */
char *escapes = "\n\t\\\"\x41\101\0";
int length(char *s) {
  int n;
  n = 0;
  while (*s++)
    n++;
  return n;
}
int compare(char *a, char *b) {
  while (*a && *a == *b) {
    a++;
    b++;
  }
  return *a - *b;
}
char r_escapes[7]; /* expect 10 9 92 34 65 65 0 */
int r_length[3]; /* expect 11 0 4 */
int r_size; /* expect 4 */
int r_compare[3]; /* expect 0 255 1; sdcc 0 -1 1: standard C subtracts two chars as ints, the dialect as a char */
char r_indexed; /* expect 108 */

void main(void) {
  int k;
  for (k = 0; k < 7; k++)
    r_escapes[k] = escapes[k];
  r_length[0] = length("hello world");
  r_length[1] = length("");
  r_length[2] = length("a\tc\n");
  r_size = sizeof "abc";
  r_compare[0] = compare("same", "same");
  r_compare[1] = compare("abc", "abd");
  r_compare[2] = compare("b", "a");
  r_indexed = "hello"[3];
}
