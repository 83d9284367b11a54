/* void pointers converted to and from object pointers. */
long big = 0x11223344L;
int r_round_trip; /* expect 1 */
char r_first_byte; /* expect 0x44 */
long r_value; /* expect 0x11223344 */
int r_null; /* expect 1 */

void *as_void(long *p) { return p; }

void main(void) {
  void *v;
  long *back;
  char *bytes;
  v = as_void(&big);
  back = v;
  r_round_trip = back == &big;
  bytes = v;
  r_first_byte = *bytes;
  r_value = *(long *)v;
  v = 0;
  r_null = v == 0;
}
