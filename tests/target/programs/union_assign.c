/* Unions assigned whole and reached by pointer. */
union word {
  unsigned w;
  char b[2];
};
union word keep;
unsigned r_swapped; /* expect 0x3412 */
char r_low; /* expect 0x34 */
unsigned r_through_pointer; /* expect 0xABCD */
unsigned r_copy; /* expect 0x1234 */

void swap_bytes(union word *v) {
  char t;
  t = v->b[0];
  v->b[0] = v->b[1];
  v->b[1] = t;
}

void set(union word *p, unsigned value) { p->w = value; }

void main(void) {
  union word a, b;
  a.w = 0x1234;
  b = a;
  swap_bytes(&b);
  r_swapped = b.w;
  r_low = a.b[0];
  keep = a;
  set(&a, 0xABCD);
  r_through_pointer = a.w;
  r_copy = keep.w;
}
