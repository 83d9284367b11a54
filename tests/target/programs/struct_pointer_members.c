/* Structures holding pointers to other structures and to functions. */
struct counter {
  int n;
  int (*step)(int);
};
struct pair {
  struct counter *left;
  struct counter *right;
};
int inc(int v) { return v + 1; }
int dbl(int v) { return v * 2; }
struct counter a, b;
struct pair p;
int r_after[2]; /* expect 5 48 */
int r_swapped; /* expect 48 */

void run(struct pair *q, int times) {
  int k;
  for (k = 0; k < times; k++) {
    q->left->n = q->left->step(q->left->n);
    q->right->n = q->right->step(q->right->n);
  }
}

void main(void) {
  struct counter *t;
  a.n = 1;
  a.step = inc;
  b.n = 3;
  b.step = dbl;
  p.left = &a;
  p.right = &b;
  run(&p, 4);
  r_after[0] = a.n;
  r_after[1] = b.n;
  t = p.left;
  p.left = p.right;
  p.right = t;
  r_swapped = p.left->n;
}
