/* Shifts whose count has another type than the shifted value: the result
   keeps the left operand's type, so a signed value shifts in its sign and
   an int is not widened by a long count. */
int gi = -12376;
unsigned gu = 0x8001u;
long gl = -100000L;
unsigned long gul = 0x80000001UL;
char gc = 200;
unsigned u1 = 1u;
long l1 = 1L;
unsigned long ul1 = 1UL;
int r_int_by_unsigned; /* expect -6188 */
int r_int_by_long; /* expect -6188 */
unsigned r_unsigned_by_long; /* expect 2 */
unsigned r_unsigned_by_ulong; /* expect 2 */
long r_long_by_ulong; /* expect -50000 */
long r_long_by_unsigned; /* expect -50000 */
unsigned long r_ulong_by_long; /* expect 2 */
int r_char_by_ulong; /* expect 400 */
int r_constant_by_ulong; /* expect -6188 */
unsigned r_constant_by_long; /* expect 16384 */
long r_long_constant_by_ulong; /* expect -50000 */
long r_widened_after; /* expect 2 */
int r_computed_by_long; /* expect -6188 */
unsigned r_computed_by_ulong; /* expect 4 */
int r_through_pointers; /* expect -6188 */
int r_by_long_sum; /* expect -6188 */
int r_twice; /* expect -3094 */
int r_assigned_by_long; /* expect -6188 */
unsigned r_assigned_by_ulong; /* expect 2 */
long r_long_assigned_by_ulong; /* expect -50000 */
int r_global_assigned_by_ulong; /* expect -6188 */
int *pi = &gi;
long *pl = &l1;
int gj;

void main(void) {
  int x;
  unsigned y;
  long z;
  r_int_by_unsigned = gi >> u1;
  r_int_by_long = gi >> l1;
  r_unsigned_by_long = gu << l1;
  r_unsigned_by_ulong = gu << ul1;
  r_long_by_ulong = gl >> ul1;
  r_long_by_unsigned = gl >> u1;
  r_ulong_by_long = gul << l1;
  r_char_by_ulong = gc << ul1;
  r_constant_by_ulong = (-12376) >> 1UL;
  r_constant_by_long = 0x8001u >> 1L;
  r_long_constant_by_ulong = (-100000L) >> 1UL;
  r_widened_after = (gu << l1) + 0L;
  r_computed_by_long = (gi + 1) >> l1;
  r_computed_by_ulong = (gu + 1u) << ul1;
  r_through_pointers = *pi >> *pl;
  r_by_long_sum = gi >> (l1 + 0L);
  r_twice = (gi >> l1) >> (ul1 + l1 - 1L);
  x = gi;
  x >>= l1;
  r_assigned_by_long = x;
  y = gu;
  y <<= ul1;
  r_assigned_by_ulong = y;
  z = gl;
  z >>= ul1;
  r_long_assigned_by_ulong = z;
  gj = gi;
  gj >>= ul1;
  r_global_assigned_by_ulong = gj;
}
