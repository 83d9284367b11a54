/* A dense switch over consecutive cases, with default for values outside. */
int classify(int v) {
  switch (v) {
  case 0: return 100;
  case 1: return 101;
  case 2: return 104;
  case 3: return 109;
  case 4: return 116;
  case 5: return 125;
  case 6: return 136;
  case 7: return 149;
  default: return -1;
  }
}

int r_values[10]; /* expect 100 101 104 109 116 125 136 149 -1 -1 */
int r_negative; /* expect -1 */

void main(void) {
  int i;
  for (i = 0; i < 10; i++)
    r_values[i] = classify(i);
  r_negative = classify(-1);
}
