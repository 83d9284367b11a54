/* int and unsigned shifts by 0, 1 and 15, by constants and by variables. */
unsigned u = 0x8001;
int s = -4, p = 3;
int n0 = 0, n1 = 1, n15 = 15;
unsigned r_ul[3]; /* expect 0x8001 2 0x8000 */
unsigned r_ur[3]; /* expect 0x8001 0x4000 1 */
int r_sr[3]; /* expect -4 -2 -1 */
int r_pl[3]; /* expect 3 6 24576 */
unsigned r_ulc[3]; /* expect 0x8001 2 0x8000 */
unsigned r_urc[3]; /* expect 0x8001 0x4000 1 */
int r_src[3]; /* expect -4 -2 -1 */

void main(void) {
  r_ul[0] = u << n0;
  r_ul[1] = u << n1;
  r_ul[2] = u << n15;
  r_ur[0] = u >> n0;
  r_ur[1] = u >> n1;
  r_ur[2] = u >> n15;
  r_sr[0] = s >> n0;
  r_sr[1] = s >> n1;
  r_sr[2] = s >> n15;
  r_pl[0] = p << n0;
  r_pl[1] = p << n1;
  r_pl[2] = p << 13;
  r_ulc[0] = u << 0;
  r_ulc[1] = u << 1;
  r_ulc[2] = u << 15;
  r_urc[0] = u >> 0;
  r_urc[1] = u >> 1;
  r_urc[2] = u >> 15;
  r_src[0] = s >> 0;
  r_src[1] = s >> 1;
  r_src[2] = s >> 15;
}
