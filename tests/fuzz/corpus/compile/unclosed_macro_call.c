#define F(a) ((a) * 2)
int x = F(1;
int v0 = 0;
