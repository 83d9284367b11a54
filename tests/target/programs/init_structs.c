/* Structure, union and array-of-structure initialisers. */
struct inner {
  char tag;
  int n;
};
struct outer {
  int id;
  struct inner in;
  long values[2];
};
union number {
  long l;
  char c[4];
};
struct outer one = {7, {'q', -3}, {100000, -1}};
struct outer partial = {8};
struct inner many[3] = {{'a', 1}, {'b', 2}};
union number num = {0x01020304};
int r_one[3]; /* expect 7 113 -3 */
long r_one_values[2]; /* expect 100000 -1 */
int r_partial[3]; /* expect 8 0 0 */
int r_many[3]; /* expect 2 98 0 */
char r_num[2]; /* expect 4 1 */

void main(void) {
  r_one[0] = one.id;
  r_one[1] = one.in.tag;
  r_one[2] = one.in.n;
  r_one_values[0] = one.values[0];
  r_one_values[1] = one.values[1];
  r_partial[0] = partial.id;
  r_partial[1] = partial.in.n;
  r_partial[2] = (int)partial.values[1];
  r_many[0] = many[1].n;
  r_many[1] = many[1].tag;
  r_many[2] = many[2].n;
  r_num[0] = num.c[0];
  r_num[1] = num.c[3];
}
