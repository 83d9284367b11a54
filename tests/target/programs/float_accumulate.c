/* Sums and products of floats whose results are exact. */
float r_sum; /* expect 50.0 */
float r_halves; /* expect 0.0009765625 */
float r_counter; /* expect 10.0 */
int r_steps; /* expect 20 */

void main(void) {
  int i;
  float f;
  r_sum = 0.0;
  for (i = 0; i < 100; i++)
    r_sum += 0.5;
  f = 1.0;
  for (i = 0; i < 10; i++)
    f = f / 2.0;
  r_halves = f;
  r_steps = 0;
  for (f = 0.0; f < 10.0; f += 0.5)
    r_steps++;
  r_counter = f;
}
