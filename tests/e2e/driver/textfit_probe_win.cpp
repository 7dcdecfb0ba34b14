// Checks from outside that a window's texts fit their controls: every static,
// button, check box, radio button and group box of the window (and of its
// child dialogs, shown or not) is measured in its own font and compared with
// the room the control gives its text. The measuring runs inside the program
// (textfit_hook.dll, loaded there by a message hook), since a font handle means
// nothing in another process.
//
//   textfit_probe CLASS TITLE [TO FROM]
//       prints one line per control whose text is cut off, then "size W H" of
//       the window and "checked N"; exit 0 when all fit, 1 when some do not, 2
//       without the window or hook. With TO and FROM the window is first told
//       it moved from a monitor of FROM dpi onto one of TO dpi (WM_DPICHANGED).
// CLASS or TITLE "-" matches any.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "textfit_shared.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) return 2;
  const int to = argc == 5 ? std::atoi(argv[3]) : 0, from = argc == 5 ? std::atoi(argv[4]) : 0;
  auto any = [](const char* text) { return std::strcmp(text, "-") == 0 ? nullptr : text; };
  HWND window = FindWindowA(any(argv[1]), any(argv[2]));
  if (window == nullptr) {
    std::fputs("no such window\n", stderr);
    return 2;
  }
  HMODULE dll = LoadLibraryA("textfit_hook.dll");
  auto hook =
      dll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll, "TextFitHook")))
          : nullptr;
  if (hook == nullptr) {
    std::fputs("textfit_hook.dll is missing\n", stderr);
    return 2;
  }
  HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kReportSize,
                                    kReportBlock);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, kReportDone);
  HHOOK installed =
      SetWindowsHookExA(WH_GETMESSAGE, hook, dll, GetWindowThreadProcessId(window, nullptr));
  if (block == nullptr || done == nullptr || installed == nullptr) {
    std::fprintf(stderr, "the hook could not be set up (error %lu)\n", GetLastError());
    return 2;
  }
  PostMessageA(window, RegisterWindowMessageA(kMeasureMessage), to, from);
  const bool answered = WaitForSingleObject(done, 20000) == WAIT_OBJECT_0;
  UnhookWindowsHookEx(installed);
  if (!answered) {
    std::fputs("the window's program did not answer\n", stderr);
    return 2;
  }
  const auto* report = static_cast<const char*>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, 0));
  if (report == nullptr) return 2;
  std::fputs(report, stdout);
  return std::strstr(report, "clipped\t") == nullptr ? 0 : 1;
}
