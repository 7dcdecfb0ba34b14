// Times saves from inside one process that stays up for every round, so that
// no process start is part of a figure: clicks a visible button of a window
// (found by caption among its descendants) and waits for the next file to
// appear complete, then prints the milliseconds of each round, one a line.
//   save_timer <window title> <button caption> <first file> <pattern> <rounds>
// <pattern> names round n >= 1 with %d, e.g. C:\out\Vistrel%d.png. Files
// appear under their final name only when complete (written, then renamed).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
  std::string caption;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
  Search& search = *reinterpret_cast<Search*>(parameter);
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  if (search.caption == text && IsWindowVisible(window)) search.found = window;
  return search.found == nullptr;
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) return 2;
  HWND top = FindWindowA(nullptr, argv[1]);
  if (!top) return 1;
  Search search{argv[2], nullptr};
  EnumChildWindows(top, Visit, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 1;
  int rounds = std::atoi(argv[5]);
  for (int n = 0; n < rounds; ++n) {
    char name[MAX_PATH];
    if (n == 0) {
      std::snprintf(name, sizeof name, "%s", argv[3]);
    } else {
      std::snprintf(name, sizeof name, argv[4], n);
    }
    double start = Now();
    PostMessageA(search.found, BM_CLICK, 0, 0);
    while (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES) {
      if (Now() - start > 120) return 1;
      Sleep(1);
    }
    std::printf("%.2f\n", (Now() - start) * 1000);
    std::fflush(stdout);
  }
  return 0;
}
