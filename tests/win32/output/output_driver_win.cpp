// Drives the wizard's page controls for the end-to-end tests: controls are
// found among all descendants of a top-level window, by caption or by ID.
//   output_driver click <window title> <caption>        BM_CLICK on a visible button
//   output_driver timedclick <window title> <caption>   the same, and prints the moment it
//                                                        was posted (performance counter, ms)
//   output_driver check <window title> <caption> <0|1>  click a box until it has that state
//   output_driver settext <window title> <id> <text>     type a text (then a key release)
//   output_driver select <window title> <id> <index>     choose a list entry (with its change)
//   output_driver gettext <window title> <id>            prints the control's text
//   output_driver shown <window title> <caption>         exit 0 when a visible control has it
//   output_driver scroll <window title> <id> <code>      a scroll bar's WM_HSCROLL/WM_VSCROLL
//                                                        to its parent (SB_PAGEDOWN is 3)
//   output_driver where <window title> <id>              prints the control's screen rectangle
//   output_driver redraw <window title> <id>             repaints the control now, as when
//                                                        it is uncovered
// Exit code 0 on success, 1 when the window or control is missing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
  std::string caption;
  int id = -1;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
  Search& search = *reinterpret_cast<Search*>(parameter);
  if (search.id >= 0) {
    if (GetDlgCtrlID(window) == search.id && IsWindowVisible(window)) search.found = window;
  } else {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    if (search.caption == text && IsWindowVisible(window)) search.found = window;
  }
  return search.found == nullptr;
}

HWND Control(const char* title, const std::string& caption, int id) {
  HWND top = FindWindowA(nullptr, title);
  if (!top) return nullptr;
  Search search{caption, id, nullptr};
  EnumChildWindows(top, Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  std::string verb = argv[1];
  if (verb == "click" || verb == "timedclick" || verb == "shown") {
    HWND button = Control(argv[2], argv[3], -1);
    if (!button) return 1;
    if (verb == "timedclick") {
      LARGE_INTEGER count{}, frequency{};
      QueryPerformanceFrequency(&frequency);
      QueryPerformanceCounter(&count);
      std::printf("%.3f\n", static_cast<double>(count.QuadPart) * 1000.0 / frequency.QuadPart);
    }
    if (verb != "shown") PostMessageA(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (verb == "check" && argc == 5) {
    HWND box = Control(argv[2], argv[3], -1);
    if (!box) return 1;
    LRESULT want = std::atoi(argv[4]) ? BST_CHECKED : BST_UNCHECKED;
    if (SendMessageA(box, BM_GETCHECK, 0, 0) != want) SendMessageA(box, BM_CLICK, 0, 0);
    return SendMessageA(box, BM_GETCHECK, 0, 0) == want ? 0 : 1;
  }
  HWND control = Control(argv[2], "", std::atoi(argv[3]));
  if (!control) return 1;
  if (verb == "settext" && argc == 5) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    SendMessageA(control, WM_KEYDOWN, VK_END, 0x014F0001);
    SendMessageA(control, WM_KEYUP, VK_END, static_cast<LPARAM>(0xC14F0001u));
    return 0;
  }
  if (verb == "select" && argc == 5) {
    SendMessageA(control, CB_SETCURSEL, std::atoi(argv[4]), 0);
    SendMessageA(GetParent(control), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(control), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (verb == "scroll" && argc == 5) {
    const bool vertical = (GetWindowLongA(control, GWL_STYLE) & SBS_VERT) != 0;
    SendMessageA(GetParent(control), vertical ? WM_VSCROLL : WM_HSCROLL,
                 MAKEWPARAM(std::atoi(argv[4]), 0), reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (verb == "where") {
    RECT r{};
    GetWindowRect(control, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
  }
  if (verb == "redraw") {
    return RedrawWindow(control, nullptr, nullptr,
                        RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN)
               ? 0
               : 1;
  }
  if (verb == "gettext") {
    char text[1024] = {};
    GetWindowTextA(control, text, sizeof text);
    std::printf("%s\n", text);
    return 0;
  }
  return 2;
}
