#pragma once
// A picture made once and then only read, shared by whoever uses it: the
// wizard's three pictures (often one and the same), a send, the preview. Each
// keeps its own reference; the bitmap goes with the last of them.
#include <windows.h>

#include <memory>

namespace vistrel {

class Picture {
 public:
  // Takes over `bitmap`, which nobody may draw into afterwards.
  explicit Picture(HBITMAP bitmap) noexcept : bitmap_(bitmap) {}
  ~Picture() {
    if (bitmap_) DeleteObject(bitmap_);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  // For reading: selecting it into a memory DC to copy from, GetDIBits.
  HBITMAP Handle() const { return bitmap_; }

 private:
  HBITMAP bitmap_;
};

using SharedPicture = std::shared_ptr<const Picture>;

// Takes over `bitmap`; none for a null bitmap.
inline SharedPicture MakePicture(HBITMAP bitmap) {
  if (bitmap == nullptr) return nullptr;
  try {
    return std::make_shared<const Picture>(bitmap);
  } catch (...) {
    DeleteObject(bitmap);
    throw;
  }
}

inline HBITMAP Handle(const SharedPicture& picture) {
  return picture ? picture->Handle() : nullptr;
}

// True when the bitmap is missing or has no pixels: the outputs refuse it.
inline bool PictureIsEmpty(HBITMAP picture) {
  BITMAP facts{};
  return !picture || !GetObjectA(picture, sizeof facts, &facts) || facts.bmWidth <= 0 ||
         facts.bmHeight <= 0;
}

}  // namespace vistrel
