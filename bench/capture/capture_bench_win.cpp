// Times one capture as the program takes it: Cheese("0") followed by
// Transfer, through vistlib.dll loaded by name, on a screen with ten windows
// of two controls each. Reads one command per line from standard input:
// "capture" prints the milliseconds it took (the whole, Cheese, Transfer),
// "quit" ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "vistlib.h"

namespace {

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void PumpPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace

int main() {
  HMODULE library = LoadLibraryA("vistlib.dll");
  if (library == nullptr) {
    std::fprintf(stderr, "vistlib.dll not found\n");
    return 1;
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (int i = 0; i < 10; ++i) {
    char title[32];
    std::snprintf(title, sizeof title, "Bench window %d", i);
    HWND window =
        CreateWindowExA(0, "STATIC", title, WS_POPUP | WS_VISIBLE | WS_BORDER, 60 + i * 150,
                        60 + i * 80, 400, 300, nullptr, nullptr, instance, nullptr);
    CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE, 20, 200, 80, 28, window, nullptr,
                    instance, nullptr);
    CreateWindowExA(0, "EDIT", "text", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 40, 200, 24, window,
                    nullptr, instance, nullptr);
  }
  HWND notify =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  PumpPending();
  Export<vistlib::InitFn>(library, "Init")(reinterpret_cast<vistlib::WindowHandle>(notify));
  auto cheese = Export<vistlib::CheeseFn>(library, "Cheese");
  auto transfer = Export<vistlib::TransferFn>(library, "Transfer");

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::printf("ready\n");
  std::fflush(stdout);
  char line[64];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    if (std::strncmp(line, "capture", 7) == 0) {
      PumpPending();
      LARGE_INTEGER start, captured, end;
      QueryPerformanceCounter(&start);
      cheese("0");
      QueryPerformanceCounter(&captured);
      transfer();
      QueryPerformanceCounter(&end);
      auto ms = [&](LARGE_INTEGER a, LARGE_INTEGER b) {
        return 1000.0 * (b.QuadPart - a.QuadPart) / frequency.QuadPart;
      };
      // The whole, then its two parts.
      std::printf("%.3f %.3f %.3f\n", ms(start, end), ms(start, captured), ms(captured, end));
      std::fflush(stdout);
    } else if (std::strncmp(line, "quit", 4) == 0) {
      break;
    }
  }
  Export<vistlib::QuitFn>(library, "Quit")();
  return 0;
}
