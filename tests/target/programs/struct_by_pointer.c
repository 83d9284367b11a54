/* Structures reached through pointers, with a nested member and an array member. */
struct inner {
  char tag;
  long count;
};
struct outer {
  int id;
  struct inner in;
  int values[3];
};
struct outer thing;
int r_id; /* expect 42 */
char r_tag; /* expect 65 */
long r_count; /* expect 123457 */
int r_values[3]; /* expect 1 4 9 */
int r_member_offset; /* expect 5 */

void fill(struct outer *p) {
  int i;
  p->id = 42;
  p->in.tag = 'A';
  p->in.count = 123456;
  p->in.count++;
  for (i = 0; i < 3; i++)
    p->values[i] = (i + 1) * (i + 1);
}

void main(void) {
  struct inner *ip;
  fill(&thing);
  r_id = thing.id;
  ip = &thing.in;
  r_tag = ip->tag;
  r_count = ip->count;
  r_values[0] = thing.values[0];
  r_values[1] = (&thing)->values[1];
  r_values[2] = thing.values[2];
  r_member_offset = (char *)&thing.values[0] - (char *)&thing.in;
}
