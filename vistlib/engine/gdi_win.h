#pragma once
// Move-only owners of the GDI handles the engine keeps, and the picture type
// (a device-dependent bitmap with its palette, if any) that the capture, the
// editor's image and the clipboard exchange.
#include <windows.h>

#include <utility>

#include "gdi_handles_win.h"

namespace vistlib {

// The program's one kit of move-only GDI owners.
using vistrel::Bitmap;
using vistrel::Brush;
using vistrel::GdiHandle;
using vistrel::GdiObjectTraits;
using vistrel::Icon;
using vistrel::IconTraits;
using vistrel::MemoryDc;
using vistrel::MemoryDcTraits;
using vistrel::Palette;
using vistrel::SelectGuard;
using vistrel::WindowDc;

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
