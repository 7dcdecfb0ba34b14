#pragma once
// The clipboard opened for as long as this lives. Another program may hold it
// for a moment, so opening tries for a while before it gives up.
#include <windows.h>

namespace vistrel {

class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner, DWORD patienceMs = 2000) {
    const DWORD start = GetTickCount();
    while (!(open_ = OpenClipboard(owner) != FALSE)) {
      if (GetTickCount() - start > patienceMs) return;
      Sleep(10);
    }
  }
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;

  explicit operator bool() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace vistrel
