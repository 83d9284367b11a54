/* Calls through function pointers: a table, a parameter and a comparison. */
int add(int a, int b) { return a + b; }
int sub(int a, int b) { return a - b; }
int mul(int a, int b) { return a * b; }

int (*ops[3])(int, int);
int r_table[3]; /* expect 9 5 14 */
int r_applied; /* expect 70 */
int r_same; /* expect 1 */
int r_differ; /* expect 1 */

int apply(int (*f)(int, int), int x, int y) { return f(x, y) * 10; }

void main(void) {
  int i;
  int (*chosen)(int, int);
  ops[0] = add;
  ops[1] = sub;
  ops[2] = mul;
  for (i = 0; i < 3; i++)
    r_table[i] = ops[i](7, 2);
  r_applied = apply(add, 3, 4);
  chosen = &sub;
  r_same = chosen == ops[1];
  r_differ = chosen != ops[2];
}
