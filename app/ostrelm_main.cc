// Start-up of the window program. Until the toolkit layer can show a window,
// this only says so.
#include <cstdio>

int main() {
  std::puts("ostrelm: the window is not built yet");
  return 0;
}
