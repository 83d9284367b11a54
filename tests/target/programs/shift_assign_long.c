/* Shift assignments on long and unsigned long by variable counts, in loops. */
long r_left[4]; /* expect 3 48 786432 805306368 */
unsigned long r_right[4]; /* expect 0xF0000000 0x0F000000 0x0000F000 0x00000001 */
long r_signed_right[3]; /* expect -65536 -4096 -1 */

void main(void) {
  long l;
  unsigned long u;
  int i;
  int counts[4];
  counts[0] = 0;
  counts[1] = 4;
  counts[2] = 14;
  counts[3] = 10;
  l = 3;
  for (i = 0; i < 4; i++) {
    l <<= counts[i];
    r_left[i] = l;
  }
  u = 0xF0000000UL;
  counts[1] = 4;
  counts[2] = 12;
  counts[3] = 15;
  for (i = 0; i < 4; i++) {
    u >>= counts[i];
    r_right[i] = u;
  }
  l = -65536L;
  r_signed_right[0] = l;
  l >>= 4;
  r_signed_right[1] = l;
  l >>= 20;
  r_signed_right[2] = l;
}
