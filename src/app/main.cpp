#include <cstdio>

int main() {
  std::puts("Quireon2: the window is not built yet; see the README for what works.");
  return 0;
}
