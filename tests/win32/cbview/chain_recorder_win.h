#pragma once
// Test helpers for the clipboard viewer: a well-behaved viewer window of our
// own that counts what reaches it, clipboard writes from another window, and
// a message pump that waits for a condition.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace cbview_test {

// Runs this thread's messages until `done` or the deadline; true when done.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// A member of the clipboard-viewer chain that passes everything on.
class ChainRecorder {
 public:
  ChainRecorder() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CbviewChainRecorder";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "CbviewChainRecorder", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~ChainRecorder() {
    Leave();
    DestroyWindow(window_);
  }
  ChainRecorder(const ChainRecorder&) = delete;
  ChainRecorder& operator=(const ChainRecorder&) = delete;

  void Join() {
    joined_ = true;
    next_ = SetClipboardViewer(window_);
  }
  void Leave() {
    if (!joined_) return;
    joined_ = false;
    ChangeClipboardChain(window_, next_);
  }
  HWND Handle() const { return window_; }
  int draws = 0;
  int chainChanges = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ChainRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_DRAWCLIPBOARD) {
      ++self->draws;
      if (self->next_) SendMessageA(self->next_, message, wParam, lParam);
      return 0;
    }
    if (self != nullptr && message == WM_CHANGECBCHAIN) {
      ++self->chainChanges;
      if (reinterpret_cast<HWND>(wParam) == self->next_) {
        self->next_ = reinterpret_cast<HWND>(lParam);
      } else if (self->next_) {
        SendMessageA(self->next_, message, wParam, lParam);
      }
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  HWND next_ = nullptr;
  bool joined_ = false;
};

inline HGLOBAL TextBlock(const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  return memory;
}

// Replaces the clipboard's content, as another program would: `format`
// with `data`, or nothing at all.
inline bool PutOnClipboard(HWND owner, UINT format, HANDLE data) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const bool placed = format == 0 || SetClipboardData(format, data) != nullptr;
  CloseClipboard();
  return placed;
}

inline std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace cbview_test
