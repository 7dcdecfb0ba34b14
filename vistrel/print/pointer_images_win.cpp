#include "pointer_images_win.h"

#include <array>
#include <cstdint>

namespace vistrel::print {

namespace {

// 16 x 16 drawings: 'X' black outline, 'o' white inside, anything else clear.
using Drawing = std::array<const char*, 16>;

constexpr Drawing kOpenHand = {
    "       XX       ",
    "   XX XooXXX    ",
    "  XooXXooXooX   ",
    "  XooXXooXooX X ",
    "   XooXooXooXXoX",
    "   XooXooXooXooX",
    " XX XoooooooXooX",
    "XooXXooooooooooX",
    "XoooXoooooooooX ",
    " XooooooooooooX ",
    "  XoooooooooooX ",
    "  XooooooooooX  ",
    "   XoooooooooX  ",
    "    XooooooooX  ",
    "     XoooooooX  ",
    "     XXXXXXXXX  ",
};

constexpr Drawing kClosedHand = {
    "                ",
    "                ",
    "                ",
    "                ",
    "    XX XX XX    ",
    "   XooXooXooXX  ",
    "   XooooooooXoX ",
    "    XooooooooooX",
    "   XXoooooooooX ",
    "  XooooooooooX  ",
    "  XooooooooooX  ",
    "   XoooooooooX  ",
    "    XooooooooX  ",
    "     XoooooooX  ",
    "     XoooooooX  ",
    "     XXXXXXXXX  ",
};

// A 32 x 32 monochrome pointer: the AND mask clears where the drawing is, the
// XOR mask turns its inside white.
HCURSOR MakePointer(HINSTANCE instance, const Drawing& drawing) {
  constexpr int kSize = 32, kRowBytes = kSize / 8;
  std::array<uint8_t, kSize * kRowBytes> andMask, xorMask;
  andMask.fill(0xFF);
  xorMask.fill(0x00);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const char c = drawing[y][x];
      if (c != 'X' && c != 'o') continue;
      const int byte = y * kRowBytes + x / 8;
      const auto bit = static_cast<uint8_t>(0x80 >> (x % 8));
      andMask[byte] &= static_cast<uint8_t>(~bit);
      if (c == 'o') xorMask[byte] |= bit;
    }
  return CreateCursor(instance, 8, 8, kSize, kSize, andMask.data(), xorMask.data());
}

}  // namespace

PointerImages MakePointerImages(HINSTANCE instance) {
  PointerImages images;
  images.drag = MakePointer(instance, kClosedHand);
  images.normal = MakePointer(instance, kOpenHand);
  if (!images.drag) images.drag = LoadCursor(nullptr, IDC_SIZEALL);
  if (!images.normal) images.normal = LoadCursor(nullptr, IDC_ARROW);
  return images;
}

void DestroyPointerImages(PointerImages& images) {
  // Only the pointers made here; shared system pointers are never destroyed.
  for (HCURSOR* pointer : {&images.drag, &images.normal}) {
    if (*pointer && *pointer != LoadCursor(nullptr, IDC_SIZEALL) &&
        *pointer != LoadCursor(nullptr, IDC_ARROW))
      DestroyCursor(*pointer);
    *pointer = nullptr;
  }
}

}  // namespace vistrel::print
