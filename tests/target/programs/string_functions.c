/* Copying, reversing and searching strings by hand. */
char source[] = "differential";
char buffer[16];
char r_copy[13]; /* expect 100 105 102 102 101 114 101 110 116 105 97 108 0 */
char r_reversed[4]; /* expect 108 97 105 116 */
int r_index; /* expect 4 */
int r_missing; /* expect -1 */

void copy(char *to, char *from) {
  while ((*to++ = *from++) != 0)
    ;
}

void reverse(char *s) {
  char *end, t;
  end = s;
  while (*end)
    end++;
  end--;
  while (s < end) {
    t = *s;
    *s++ = *end;
    *end-- = t;
  }
}

int find(char *s, char c) {
  int i;
  for (i = 0; s[i]; i++)
    if (s[i] == c)
      return i;
  return -1;
}

void main(void) {
  int k;
  copy(buffer, source);
  for (k = 0; k < 13; k++)
    r_copy[k] = buffer[k];
  reverse(buffer);
  for (k = 0; k < 4; k++)
    r_reversed[k] = buffer[k];
  r_index = find(source, 'e');
  r_missing = find(source, 'z');
}
