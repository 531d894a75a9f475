// qvtool: the companion for people who make, test and enjoy screensavers.
#include <cstdio>

int main() { return 0; }
