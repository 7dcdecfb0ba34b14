#pragma once
#include <algorithm>
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

inline bool IsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

// The common part of two rectangles; an empty Rect where they do not meet.
inline Rect Intersect(const Rect& a, const Rect& b) {
  const Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
  return IsEmpty(r) ? Rect{} : r;
}

// The smallest rectangle holding both; an empty one adds nothing.
inline Rect Union(const Rect& a, const Rect& b) {
  if (IsEmpty(a)) return IsEmpty(b) ? Rect{} : b;
  if (IsEmpty(b)) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

inline Rect Offset(const Rect& r, int32_t dx, int32_t dy) {
  return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace vistrel
