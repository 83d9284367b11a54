/* typedef names for basic types, structures, pointers and function pointers. */
typedef unsigned long u32;
typedef int (*binary)(int, int);
typedef struct {
  u32 value;
  binary op;
} cell;
int max2(int a, int b) { return a > b ? a : b; }
cell cells[2];
u32 r_value; /* expect 3000000000 */
int r_op; /* expect 9 */
int r_size; /* expect 6 */

void main(void) {
  cell *c;
  c = &cells[1];
  c->value = 3000000000UL;
  c->op = max2;
  r_value = cells[1].value;
  r_op = cells[1].op(-4, 9);
  r_size = sizeof(cell);
}
