/* Recursion with automatic locals live across the calls. */
int fib(int n) {
  auto int a, b;
  if (n < 2)
    return n;
  a = fib(n - 1);
  b = fib(n - 2);
  return a + b;
}

long factorial(int n) {
  if (n <= 1)
    return 1;
  return n * factorial(n - 1);
}

int r_fib[3]; /* expect 0 1 610 */
long r_fact; /* expect 479001600 */

void main(void) {
  r_fib[0] = fib(0);
  r_fib[1] = fib(1);
  r_fib[2] = fib(15);
  r_fact = factorial(12);
}
