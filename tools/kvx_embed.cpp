// Temporary until the embedding tool is built.
#include <cstdio>
int main() { fputs("kvx-embed: not built yet\n", stderr); return 2; }
