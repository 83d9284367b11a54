/* A switch on unsigned values at the top of the range, and one on long.
   (SDCC does not finish compiling a long switch whose cases span from -1 to
   0x7FFFFFFF, so the long cases stay narrower.) */
int on_unsigned(unsigned v) {
  switch (v) {
  case 0xFFFF: return 1;
  case 0x8000: return 2;
  case 0x7FFF: return 3;
  default: return 4;
  }
}

int on_long(long v) {
  switch (v) {
  case 65536L: return 1;
  case -1L: return 2;
  case 0x12345678L: return 3;
  default: return 4;
  }
}

int r_unsigned[4]; /* expect 1 2 3 4 */
int r_long[5]; /* expect 1 2 3 4 4 */

void main(void) {
  r_unsigned[0] = on_unsigned(0xFFFF);
  r_unsigned[1] = on_unsigned(0x8000);
  r_unsigned[2] = on_unsigned(0x7FFF);
  r_unsigned[3] = on_unsigned(0);
  r_long[0] = on_long(65536L);
  r_long[1] = on_long(-1L);
  r_long[2] = on_long(0x12345678L);
  r_long[3] = on_long(0);
  r_long[4] = on_long(65535L);
}
