/* A switch on unsigned values at the top of the range, and one on a plain
   (unsigned) char. The dialect takes no long case constant. */
int on_unsigned(unsigned v) {
  switch (v) {
  case 0xFFFF: return 1;
  case 0x8000: return 2;
  case 0x7FFF: return 3;
  default: return 4;
  }
}

int on_char(char v) {
  switch (v) {
  case 0xFF: return 1;
  case 0x80: return 2;
  case 0: return 3;
  default: return 4;
  }
}

int r_unsigned[4]; /* expect 1 2 3 4 */
int r_char[5]; /* expect 1 2 3 4 4 */

void main(void) {
  r_unsigned[0] = on_unsigned(0xFFFF);
  r_unsigned[1] = on_unsigned(0x8000);
  r_unsigned[2] = on_unsigned(0x7FFF);
  r_unsigned[3] = on_unsigned(0);
  r_char[0] = on_char(0xFF);
  r_char[1] = on_char(0x80);
  r_char[2] = on_char(0);
  r_char[3] = on_char(0x7F);
  r_char[4] = on_char(1);
}
