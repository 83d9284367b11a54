/* CRC-16 with the CCITT polynomial over a string, bit by bit. */
char message[] = "123456789";
unsigned r_crc; /* expect 0x29B1 */
unsigned r_empty; /* expect 0xFFFF */

unsigned crc16(char *p, int n) {
  unsigned crc;
  int bit;
  crc = 0xFFFF;
  while (n-- > 0) {
    crc ^= (unsigned)*p++ << 8;
    for (bit = 0; bit < 8; bit++)
      if (crc & 0x8000)
        crc = (crc << 1) ^ 0x1021;
      else
        crc <<= 1;
  }
  return crc;
}

void main(void) {
  r_crc = crc16(message, 9);
  r_empty = crc16(message, 0);
}
