/* long and unsigned long shifts by 0, 1, 15, 16 and 31. */
unsigned long ul = 0x80000001;
long sl = -8, one = 1;
int n[5] = {0, 1, 15, 16, 31};
unsigned long r_ull[5]; /* expect 0x80000001 2 0x8000 0x10000 0x80000000 */
unsigned long r_ulr[5]; /* expect 0x80000001 0x40000000 0x10000 0x8000 1 */
long r_slr[5]; /* expect -8 -4 -1 -1 -1 */
long r_onel[4]; /* expect 1 2 32768 65536 */
unsigned long r_ullc[5]; /* expect 0x80000001 2 0x8000 0x10000 0x80000000 */
unsigned long r_ulrc[5]; /* expect 0x80000001 0x40000000 0x10000 0x8000 1 */
long r_slrc[5]; /* expect -8 -4 -1 -1 -1 */

void main(void) {
  int i;
  for (i = 0; i < 5; i++) {
    r_ull[i] = ul << n[i];
    r_ulr[i] = ul >> n[i];
    r_slr[i] = sl >> n[i];
  }
  for (i = 0; i < 4; i++)
    r_onel[i] = one << n[i];
  r_ullc[0] = ul << 0;
  r_ullc[1] = ul << 1;
  r_ullc[2] = ul << 15;
  r_ullc[3] = ul << 16;
  r_ullc[4] = ul << 31;
  r_ulrc[0] = ul >> 0;
  r_ulrc[1] = ul >> 1;
  r_ulrc[2] = ul >> 15;
  r_ulrc[3] = ul >> 16;
  r_ulrc[4] = ul >> 31;
  r_slrc[0] = sl >> 0;
  r_slrc[1] = sl >> 1;
  r_slrc[2] = sl >> 15;
  r_slrc[3] = sl >> 16;
  r_slrc[4] = sl >> 31;
}
