#include "shell_forms_win.h"

#include <algorithm>

namespace vistrel {

void CenterForm(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return;
  const double screenW = GetSystemMetrics(SM_CXSCREEN);
  const double screenH = GetSystemMetrics(SM_CYSCREEN);
  const double left = screenW / 2 - (r.right - r.left) / 2.0;
  const double top = screenH / 2 - (r.bottom - r.top) / 2.0;
  // A form taller or wider than the screen (a large DPI on a small screen)
  // keeps its caption and left edge on it, where it can still be moved.
  SetWindowPos(window, nullptr, std::max(0, static_cast<int>(left)),
               std::max(0, static_cast<int>(top)), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetTopmost(HWND window, bool on) {
  SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

}  // namespace vistrel
