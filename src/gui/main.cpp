#include "gui/tswapp.h"

int main(int argc, char **argv) { return tsw::RunTsw(argc, argv); }
