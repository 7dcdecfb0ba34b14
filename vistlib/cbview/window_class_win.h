#pragma once
// One window procedure for the viewer's window classes: the object travels in
// lpCreateParams, lives in GWLP_USERDATA, and handles its messages in
// OnMessage; nothing unwinds through the system's frames.
#include <windows.h>

#include "module_win.h"

namespace vistlib::cbview {

template <typename Window>
LRESULT CALLBACK WindowThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->OnMessage(message, wParam, lParam);
  } catch (...) {
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
  }
  return result;
}

// Registers the class with the library's own instance the first time.
template <typename Window>
bool RegisterWindowClass(const char* name, UINT style, int background) {
  WNDCLASSA existing{};
  if (GetClassInfoA(ModuleInstance(), name, &existing)) return true;
  WNDCLASSA windowClass{};
  windowClass.style = style;
  windowClass.lpfnWndProc = &WindowThunk<Window>;
  windowClass.hInstance = ModuleInstance();
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background < 0 ? nullptr : GetSysColorBrush(background);
  windowClass.lpszClassName = name;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace vistlib::cbview
