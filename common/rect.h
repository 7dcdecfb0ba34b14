#pragma once
#include <cstddef>
#include <cstdint>

namespace vistrel {

// A screen rectangle in pixels, right and bottom exclusive. Same layout as the
// Windows RECT, so a pointer to one can be handed to the Win32 API and across
// the library boundary as it is.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

static_assert(sizeof(Rect) == 16, "Rect must have the 16-byte RECT layout");
static_assert(offsetof(Rect, left) == 0 && offsetof(Rect, top) == 4 &&
                  offsetof(Rect, right) == 8 && offsetof(Rect, bottom) == 12,
              "Rect fields must be in RECT order");

}  // namespace vistrel
