#pragma once
// Move-only owners of GDI handles and device contexts, for every room: a
// handle is freed once, by its owner; a context from GetDC goes back to its
// window; a selection is undone before the object can be deleted.
#include <windows.h>

#include <utility>

namespace vistrel {

template <typename Handle, typename Traits>
class GdiHandle {
 public:
  GdiHandle() = default;
  explicit GdiHandle(Handle handle) : handle_(handle) {}
  GdiHandle(GdiHandle&& other) noexcept : handle_(other.release()) {}
  GdiHandle& operator=(GdiHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  GdiHandle(const GdiHandle&) = delete;
  GdiHandle& operator=(const GdiHandle&) = delete;
  ~GdiHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  Handle release() { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr) Traits::Free(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

struct GdiObjectTraits {
  static void Free(HGDIOBJ object) { DeleteObject(object); }
};
struct MemoryDcTraits {
  static void Free(HDC dc) { DeleteDC(dc); }
};
struct IconTraits {
  static void Free(HICON icon) { DestroyIcon(icon); }
};

using Bitmap = GdiHandle<HBITMAP, GdiObjectTraits>;
using Brush = GdiHandle<HBRUSH, GdiObjectTraits>;
using Font = GdiHandle<HFONT, GdiObjectTraits>;
using Pen = GdiHandle<HPEN, GdiObjectTraits>;
using Palette = GdiHandle<HPALETTE, GdiObjectTraits>;
using MemoryDc = GdiHandle<HDC, MemoryDcTraits>;
using PrinterDc = GdiHandle<HDC, MemoryDcTraits>;  // from CreateDC
using Icon = GdiHandle<HICON, IconTraits>;

// A device context from GetDC, given back to the same window (the screen for none).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a context and puts the previous one back.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (ok()) SelectObject(dc_, old_);
  }
  bool ok() const { return old_ != nullptr && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace vistrel
