/* Structures inside structures inside arrays, reached in every way. */
struct date {
  char day;
  char month;
  int year;
};
struct person {
  char initial;
  struct date born;
  struct date seen[2];
};
struct person people[2];
int r_years[2]; /* expect 1990 2024 */
char r_months[3]; /* expect 12 3 7 */
int r_offset; /* expect 5 */

void main(void) {
  struct person *p;
  struct date *d;
  p = &people[1];
  p->initial = 'K';
  p->born.day = 31;
  p->born.month = 12;
  p->born.year = 1990;
  d = &p->seen[1];
  d->day = 1;
  d->month = 7;
  d->year = 2024;
  p->seen[0] = *d;
  p->seen[0].month = 3;
  r_years[0] = people[1].born.year;
  r_years[1] = people[1].seen[0].year;
  r_months[0] = people[1].born.month;
  r_months[1] = p->seen[0].month;
  r_months[2] = (*d).month;
  r_offset = (char *)&people[0].seen[0] - (char *)&people[0];
}
