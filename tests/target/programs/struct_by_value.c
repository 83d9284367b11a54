/* Structures as values: assigned whole, through pointers and into arrays.
   (SDCC passes no structure as an argument or result, so these stay in
   assignments.) */
struct point {
  int x;
  int y;
  long weight;
};
struct point saved;
struct point points[3];
int r_xy[2]; /* expect 13 -4 */
long r_weight; /* expect 100001 */
int r_original[2]; /* expect 3 6 */
int r_from_array; /* expect 13 */

void move(struct point *p, int dx, int dy) {
  struct point copy;
  copy = *p;
  copy.x += dx;
  copy.y += dy;
  copy.weight++;
  *p = copy;
}

void main(void) {
  struct point a, b;
  a.x = 3;
  a.y = 6;
  a.weight = 100000;
  b = a;
  move(&b, 10, -10);
  saved = b;
  points[1] = saved;
  r_xy[0] = saved.x;
  r_xy[1] = saved.y;
  r_weight = saved.weight;
  r_original[0] = a.x;
  r_original[1] = a.y;
  r_from_array = points[1].x;
}
