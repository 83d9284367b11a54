#ximport "/dev/zero" Z
int after;
