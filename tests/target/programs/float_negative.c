/* Negation, absolute values and comparisons of negative floats. */
float values[4] = {-3.5, 2.0, -0.125, 0.0};
float fabs_by_hand(float v) { return v < 0 ? -v : v; }
float r_abs[4]; /* expect 3.5 2.0 0.125 0.0 */
float r_min; /* expect -3.5 */
float r_product; /* expect 0.875 */
int r_negatives; /* expect 2 */

void main(void) {
  int k;
  r_min = values[0];
  r_negatives = 0;
  for (k = 0; k < 4; k++) {
    r_abs[k] = fabs_by_hand(values[k]);
    if (values[k] < r_min)
      r_min = values[k];
    if (values[k] < 0.0)
      r_negatives++;
  }
  r_product = values[0] * values[1] * values[2];
}
