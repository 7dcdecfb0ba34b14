#include "shell_forms_win.h"

namespace vistrel {

void CenterForm(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return;
  const double screenW = GetSystemMetrics(SM_CXSCREEN);
  const double screenH = GetSystemMetrics(SM_CYSCREEN);
  const double left = screenW / 2 - (r.right - r.left) / 2.0;
  const double top = screenH / 2 - (r.bottom - r.top) / 2.0;
  SetWindowPos(window, nullptr, static_cast<int>(left), static_cast<int>(top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetTopmost(HWND window, bool on) {
  SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

}  // namespace vistrel
