/* & | ^ ~ on int, unsigned, long and unsigned long. */
int a = 0x0F0F, b = -256;
unsigned u = 0xFF00;
long l = 0x12345678L, m = -1;
unsigned long ul = 0xF0F0F0F0UL;
int r_int[4]; /* expect 0x0F00 -241 -4081 -4081 */
unsigned r_unsigned[3]; /* expect 0x00FF 0xFF0F 0xF000 */
long r_long[4]; /* expect 0x12345678 -1 -305419897 0x00005678 */
unsigned long r_ulong[3]; /* expect 0x0F0F0F0F 0xF2F4F6F8 0xE2C4A688 */

void main(void) {
  r_int[0] = a & b;
  r_int[1] = a | b;
  r_int[2] = a ^ b;
  r_int[3] = ~a ^ 0xFF;
  r_unsigned[0] = ~u;
  r_unsigned[1] = u | 0x0F;
  r_unsigned[2] = u ^ 0xF00F ^ 0xFFFF ^ 0x0F00 ^ 0xFFFF ^ 0x00F0 ^ 0xFF00 ^ 0x0FFF;
  r_long[0] = l & m;
  r_long[1] = l | m;
  r_long[2] = ~l;
  r_long[3] = l & 0xFFFF;
  r_ulong[0] = ~ul;
  r_ulong[1] = ul | 0x02040608UL;
  r_ulong[2] = ul ^ 0x12345678UL;
}
