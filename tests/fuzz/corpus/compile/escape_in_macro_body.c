#define O 
O
