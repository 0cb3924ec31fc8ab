// double_click_time.exe [MS]: prints the system's double-click time as a program started now
// sees it, or sets it to MS first. A process that has read the value once may keep what it
// read; the end-to-end tests ask a fresh one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc == 2 && !::SetDoubleClickTime(static_cast<UINT>(std::strtoul(argv[1], nullptr, 10)))) {
    return 1;
  }
  std::printf("%u\n", ::GetDoubleClickTime());
  return 0;
}
