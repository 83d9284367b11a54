/* Initialisers that are addresses: of objects, of elements, of functions,
   into a string. (SDCC crashes on the address of a literal plus an offset.) */
int target = 55;
int array[4] = {10, 20, 30, 40};
int *to_target = &target;
int *to_element = &array[2];
int *past_start = array + 1;
char text[] = "abcdef";
char *into_string = text + 2;
int triple(int v) { return v * 3; }
int (*fn)(int) = triple;
int (*fns[2])(int) = {triple, triple};
int r_target; /* expect 55 */
int r_element; /* expect 30 */
int r_past_start; /* expect 20 */
char r_into_string; /* expect 99 */
int r_fn[2]; /* expect 21 -3 */

void main(void) {
  r_target = *to_target;
  r_element = *to_element;
  r_past_start = *past_start;
  r_into_string = *into_string;
  r_fn[0] = fn(7);
  r_fn[1] = fns[1](-1);
}
