#pragma once
// Move-only owners of the GDI handles the engine keeps, and the picture type
// (a device-dependent bitmap with its palette, if any) that the capture, the
// editor's image and the clipboard exchange.
#include <windows.h>

#include <utility>

namespace vistlib {

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
using Palette = GdiHandle<HPALETTE, GdiObjectTraits>;
using Brush = GdiHandle<HBRUSH, GdiObjectTraits>;
using MemoryDc = GdiHandle<HDC, MemoryDcTraits>;
using Icon = GdiHandle<HICON, IconTraits>;

// A device context from GetDC, given back to the same window.
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
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

struct Picture {
  Bitmap bitmap;
  Palette palette;  // none on displays without a palette

  bool Empty() const { return !bitmap; }
  SIZE Size() const;
};

// A new copy of the palette's entries, or none.
Palette CopyPalette(HPALETTE palette);

// A pixel-for-pixel copy with the display's colour depth and a copy of the
// palette. An empty picture copies to an empty one; a failed copy is empty too.
Picture CopyPicture(const Picture& source);

}  // namespace vistlib
