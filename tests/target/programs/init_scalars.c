/* Initialised globals of every basic type, from constant expressions. */
char c = 'A';
char c2 = 0x1FF;
int i = -12345;
int folded = 3 * 4 + 1;
unsigned u = 0xFFFE;
long l = -100000L;
long lfold = 65536L * 3 + 7;
unsigned long ul = 4000000000UL;
float f = 2.5;
float fneg = -0.375;
float from_int = 7;
int from_char = 'z' - 'a';
char r_c[2]; /* expect 65 255 */
int r_i[3]; /* expect -12345 13 25 */
unsigned r_u; /* expect 65534 */
long r_l[2]; /* expect -100000 196615 */
unsigned long r_ul; /* expect 4000000000 */
float r_f[3]; /* expect 2.5 -0.375 7.0 */

void main(void) {
  r_c[0] = c;
  r_c[1] = c2;
  r_i[0] = i;
  r_i[1] = folded;
  r_i[2] = from_char;
  r_u = u;
  r_l[0] = l;
  r_l[1] = lfold;
  r_ul = ul;
  r_f[0] = f;
  r_f[1] = fneg;
  r_f[2] = from_int;
}
