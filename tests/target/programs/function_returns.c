/* Return values of every basic type and of pointers. */
char ret_char(int v) { return v; }
unsigned ret_unsigned(int v) { return v; }
long ret_long(int v) { return v * 1000L; }
unsigned long ret_ulong(long v) { return v; }
float ret_float(int v) { return v / 4.0; }
int values[3] = {7, 8, 9};
int *ret_pointer(int i) { return &values[i]; }
char r_char; /* expect 44 */
unsigned r_unsigned; /* expect 65535 */
long r_long; /* expect -30000000 */
unsigned long r_ulong; /* expect 4294967294 */
float r_float; /* expect -0.25 */
int r_pointer; /* expect 9 */

void main(void) {
  r_char = ret_char(300);
  r_unsigned = ret_unsigned(-1);
  r_long = ret_long(-30000);
  r_ulong = ret_ulong(-2);
  r_float = ret_float(-1);
  r_pointer = *ret_pointer(2);
}
