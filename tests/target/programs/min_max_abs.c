/* Small helper functions over int and long, called in expressions. */
int imin(int a, int b) { return a < b ? a : b; }
int imax(int a, int b) { return a > b ? a : b; }
long labs_by_hand(long v) { return v < 0 ? -v : v; }
int clamp(int v, int lo, int hi) { return imax(lo, imin(v, hi)); }
int r_minmax[4]; /* expect -7 12 5 0 */
long r_abs[3]; /* expect 100000 100000 2147483647 */
int r_clamped[3]; /* expect 0 50 100 */

void main(void) {
  r_minmax[0] = imin(-7, 12);
  r_minmax[1] = imax(-7, 12);
  r_minmax[2] = imin(imax(3, 5), 9);
  r_minmax[3] = imin(0, 0);
  r_abs[0] = labs_by_hand(-100000);
  r_abs[1] = labs_by_hand(100000);
  r_abs[2] = labs_by_hand(-2147483647L);
  r_clamped[0] = clamp(-5, 0, 100);
  r_clamped[1] = clamp(50, 0, 100);
  r_clamped[2] = clamp(1000, 0, 100);
}
