#pragma once
// The viewer's window classes: each object keeps its window's handle while the
// window lives, and handles its messages in OnMessage through the program's
// window thunk.
#include <windows.h>

#include "module_win.h"
#include "window_thunk_win.h"

namespace vistlib::cbview {

// Keeps the window's handle in `kept` from WM_NCCREATE until its WM_NCDESTROY
// has been handled: a handler may still use it then.
class KeptHandle {
 public:
  KeptHandle(HWND& kept, HWND window, UINT message) : kept_(kept), last_(message == WM_NCDESTROY) {
    if (message == WM_NCCREATE) kept = window;
  }
  ~KeptHandle() {
    if (last_) kept_ = nullptr;
  }
  KeptHandle(const KeptHandle&) = delete;
  KeptHandle& operator=(const KeptHandle&) = delete;

 private:
  HWND& kept_;
  bool last_;
};

// Registers the class with the library's own instance the first time.
inline bool RegisterWindowClass(const char* name, UINT style, int background, WNDPROC procedure) {
  WNDCLASSA existing{};
  if (GetClassInfoA(ModuleInstance(), name, &existing)) return true;
  WNDCLASSA windowClass{};
  windowClass.style = style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ModuleInstance();
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background < 0 ? nullptr : GetSysColorBrush(background);
  windowClass.lpszClassName = name;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace vistlib::cbview
