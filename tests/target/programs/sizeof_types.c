/* Sizes of the basic types, pointers, arrays and structures (no padding). */
struct mixed {
  char c;
  int i;
  long l;
  char tail;
};
struct mixed ms[2];
int r_basic[5]; /* expect 1 2 2 4 4 */
int r_unsigned_long; /* expect 4 */
int r_pointers[3]; /* expect 2 2 2 */
int r_struct[2]; /* expect 8 16 */
int r_expression[2]; /* expect 4 2 */

void main(void) {
  long l;
  r_basic[0] = sizeof(char);
  r_basic[1] = sizeof(int);
  r_basic[2] = sizeof(unsigned);
  r_basic[3] = sizeof(long);
  r_basic[4] = sizeof(float);
  r_unsigned_long = sizeof(unsigned long);
  r_pointers[0] = sizeof(char *);
  r_pointers[1] = sizeof(long *);
  r_pointers[2] = sizeof(int (*)(int));
  r_struct[0] = sizeof(struct mixed);
  r_struct[1] = sizeof ms;
  r_expression[0] = sizeof(l + 1);
  r_expression[1] = sizeof(ms[0].c + 1);
}
