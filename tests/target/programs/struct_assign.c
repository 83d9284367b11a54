/* Assignment copies the whole structure; the copy is independent. */
struct record {
  char name[6];
  int n;
  long big;
};
struct record first, second;
struct record list[3];
char r_name[6]; /* expect 97 98 99 0 0 122 */
int r_n[2]; /* expect 5 99 */
long r_big; /* expect -5 */
int r_list_n; /* expect 5 */

void main(void) {
  int i;
  for (i = 0; i < 6; i++)
    first.name[i] = 0;
  first.name[0] = 'a';
  first.name[1] = 'b';
  first.name[2] = 'c';
  first.name[5] = 'z';
  first.n = 5;
  first.big = -5;
  second = first;
  first.n = 99;
  list[2] = second;
  for (i = 0; i < 6; i++)
    r_name[i] = second.name[i];
  r_n[0] = second.n;
  r_n[1] = first.n;
  r_big = list[2].big;
  r_list_n = list[2].n;
}
