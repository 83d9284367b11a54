/* An array of structures walked by pointer, which steps by the structure's size. */
struct item {
  char kind;
  int weight;
  long price;
};
struct item items[4];
long r_total; /* expect 700007 */
int r_weights; /* expect 10 */
int r_step; /* expect 7 */
char r_kinds[4]; /* expect 97 98 99 100 */

void main(void) {
  struct item *p;
  int k;
  for (k = 0; k < 4; k++) {
    items[k].kind = 'a' + k;
    items[k].weight = k + 1;
    items[k].price = 100000L * (k + 1) - k;
  }
  r_total = 0;
  r_weights = 0;
  k = 0;
  for (p = items; p < items + 4; p++) {
    r_total += p->price;
    r_weights += p->weight;
    r_kinds[k++] = p->kind;
  }
  r_total = r_total - 300000 + 13;
  r_step = (char *)&items[1] - (char *)&items[0];
}
