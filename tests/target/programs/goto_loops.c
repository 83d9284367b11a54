/* goto forward and backward, out of nested loops. */
int r_count; /* expect 10 */
int r_found[2]; /* expect 2 6 */
int r_skipped; /* expect 1 */

void main(void) {
  int i, j;
  i = 0;
again:
  i++;
  if (i < 10)
    goto again;
  r_count = i;
  for (i = 0; i < 10; i++)
    for (j = 0; j < 10; j++)
      if (i * j == 12 && i < j)
        goto found;
  i = -1;
  j = -1;
found:
  r_found[0] = i;
  r_found[1] = j;
  r_skipped = 1;
  goto end;
  r_skipped = 2;
end:;
}
