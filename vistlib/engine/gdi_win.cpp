#include "gdi_win.h"

#include <vector>

namespace vistlib {

SIZE Picture::Size() const {
  BITMAP info{};
  if (!bitmap || GetObjectA(bitmap.get(), sizeof info, &info) == 0) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

Palette CopyPalette(HPALETTE palette) {
  if (palette == nullptr) return Palette();
  WORD count = 0;
  if (GetObjectA(palette, sizeof count, &count) == 0 || count == 0) return Palette();
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = count;
  GetPaletteEntries(palette, 0, count, logical->palPalEntry);
  return Palette(CreatePalette(logical));
}

Picture CopyPicture(const Picture& source) {
  Picture copy;
  if (source.Empty()) return copy;
  SIZE size = source.Size();
  WindowDc screen(nullptr);
  MemoryDc from(CreateCompatibleDC(screen.get()));
  MemoryDc to(CreateCompatibleDC(screen.get()));
  Bitmap bitmap(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
  if (!from || !to || !bitmap) return copy;
  {
    SelectGuard selectFrom(from.get(), source.bitmap.get());
    SelectGuard selectTo(to.get(), bitmap.get());
    if (!BitBlt(to.get(), 0, 0, size.cx, size.cy, from.get(), 0, 0, SRCCOPY)) return copy;
  }
  copy.bitmap = std::move(bitmap);
  copy.palette = CopyPalette(source.palette.get());
  return copy;
}

}  // namespace vistlib
