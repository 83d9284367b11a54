/* long and unsigned long arrays indexed by variables and by pointers. */
long table[5];
unsigned long utable[3] = {0xFFFFFFFFUL, 0x80000000UL, 1};
long r_table[5]; /* expect 0 70000 140000 210000 280000 */
long r_sum; /* expect 700000 */
unsigned long r_usum; /* expect 0x80000000 */

void main(void) {
  int i;
  long *p;
  for (i = 0; i < 5; i++)
    table[i] = i * 70000L;
  for (i = 4; i >= 0; i--)
    r_table[i] = table[i];
  r_sum = 0;
  for (p = table; p < table + 5; p++)
    r_sum += *p;
  r_usum = 0;
  for (i = 0; i < 3; i++)
    r_usum += utable[i];
}
