int g;
struct s { int m; } v;
char *p[4];
#define F(a) ((a) * 2)
int x = F(1);
