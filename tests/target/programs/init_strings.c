/* Character arrays and pointers initialised from string literals. */
char word[] = "abc";
char padded[6] = "hi";
char exact[3] = "xyz";
char *pointer = "hello";
char *words[3] = {"one", "two", "three"};
int r_word_size; /* expect 4 */
char r_word[4]; /* expect 97 98 99 0 */
char r_padded[6]; /* expect 104 105 0 0 0 0 */
char r_exact[3]; /* expect 120 121 122 */
char r_pointer[2]; /* expect 101 111 */
char r_words[3]; /* expect 110 119 101 */

void main(void) {
  int k;
  r_word_size = sizeof word;
  for (k = 0; k < 4; k++)
    r_word[k] = word[k];
  for (k = 0; k < 6; k++)
    r_padded[k] = padded[k];
  for (k = 0; k < 3; k++)
    r_exact[k] = exact[k];
  r_pointer[0] = pointer[1];
  r_pointer[1] = *(pointer + 4);
  r_words[0] = words[0][1];
  r_words[1] = words[1][1];
  r_words[2] = words[2][4];
}
