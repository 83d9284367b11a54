/* A singly linked list of static nodes: walked, summed and reversed. */
struct node {
  int value;
  struct node *next;
};
struct node nodes[5];
int r_sum; /* expect 150 */
int r_order[5]; /* expect 50 40 30 20 10 */
int r_length; /* expect 5 */

struct node *reverse(struct node *head) {
  struct node *prev, *next;
  prev = 0;
  while (head) {
    next = head->next;
    head->next = prev;
    prev = head;
    head = next;
  }
  return prev;
}

void main(void) {
  struct node *p;
  int k;
  for (k = 0; k < 5; k++) {
    nodes[k].value = (k + 1) * 10;
    nodes[k].next = k < 4 ? &nodes[k + 1] : 0;
  }
  r_sum = 0;
  for (p = nodes; p; p = p->next)
    r_sum += p->value;
  p = reverse(nodes);
  r_length = 0;
  for (; p; p = p->next)
    r_order[r_length++] = p->value;
}
