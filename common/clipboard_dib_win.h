#pragma once
// Pictures on the clipboard as packed DIBs: which format the owner placed, and
// the lock on a clipboard memory block.
#include <windows.h>

#include <cstddef>

namespace vistrel {

// Formats are listed in the order they were placed; the ones Windows can make
// from them follow, and making them converts the whole picture. Call with the
// clipboard open.

inline bool DibWasPlaced() {
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    if (format == CF_DIB || format == CF_DIBV5) return true;
    if (format == CF_BITMAP) return false;
  }
  return false;
}

// Locks a movable memory block for as long as it lives; nothing for a null block.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL memory)
      : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~GlobalLockGuard() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  void* Data() const { return data_; }
  size_t Size() const { return data_ ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace vistrel
