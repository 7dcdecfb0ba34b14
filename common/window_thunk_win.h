#pragma once
// One window procedure and one dialog procedure for the program's classes: the
// object travels in the creation parameter and lives in the window's user data;
// a member function handles the messages. No exception may unwind through the
// system's frames, so each is caught here and written down, never dropped.
#include <windows.h>

#include <exception>
#include <string>

#include "program_paths_win.h"
#include "version.h"

namespace vistrel {

// The debugger's output and debug.txt beside the program: where a handler
// failed and why, for whoever looks into a report.
inline void LogCaughtException(const char* where, const char* what) noexcept {
  try {
    const std::string line = std::string(VISTREL_PRODUCT) + ": " + where + ": " +
                             (what && *what ? what : "unknown exception") + "\r\n";
    OutputDebugStringA(line.c_str());
    HANDLE file =
        CreateFileA((ProgramFolder() + "\\debug.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
  } catch (...) {
    OutputDebugStringA(VISTREL_PRODUCT ": an exception was caught and could not be logged\r\n");
  }
}

// Runs `handler` and logs what it throws; `failed` is the answer then.
template <typename Result, typename Handler>
Result Guarded(const char* where, Result failed, Handler&& handler) noexcept {
  try {
    return handler();
  } catch (const std::exception& error) {
    LogCaughtException(where, error.what());
  } catch (...) {
    LogCaughtException(where, nullptr);
  }
  return failed;
}

// For CreateWindowEx with the object as its last argument.
template <typename Window, LRESULT (Window::*Handle)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK WindowThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return Guarded("window procedure", LRESULT{0},
                 [&] { return (self->*Handle)(window, message, wParam, lParam); });
}

// For CreateDialogParam and DialogBoxParam with the object as their last
// argument. The handler sees WM_INITDIALOG too, once the object is in place;
// the dialog's answer to it is always TRUE, so the first control gets the focus.
template <typename Dialog, INT_PTR (Dialog::*Handle)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK DialogThunk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (self == nullptr) return message == WM_INITDIALOG;
  const INT_PTR answer = Guarded("dialog procedure", INT_PTR{FALSE},
                                 [&] { return (self->*Handle)(dialog, message, wParam, lParam); });
  return message == WM_INITDIALOG ? TRUE : answer;
}

}  // namespace vistrel
