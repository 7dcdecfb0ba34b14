#pragma once
// A picture as the converter works on it: 24-bit RGB, rows top to bottom,
// three bytes per pixel (red, green, blue), no row padding.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tiffdll {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  Image() = default;
  Image(int w, int h, uint8_t fill = 0)
      : width(w), height(h), rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3, fill) {}

  size_t Stride() const { return static_cast<size_t>(width) * 3; }
  uint8_t* Row(int y) { return rgb.data() + static_cast<size_t>(y) * Stride(); }
  const uint8_t* Row(int y) const { return rgb.data() + static_cast<size_t>(y) * Stride(); }
  uint8_t* Pixel(int x, int y) { return Row(y) + static_cast<size_t>(x) * 3; }
  const uint8_t* Pixel(int x, int y) const { return Row(y) + static_cast<size_t>(x) * 3; }
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Image&) const = default;
};

// Pictures larger than this are refused rather than risking an allocation
// that fails half-way (the product is a 32-bit process).
constexpr int64_t kMaxPixels = int64_t{1} << 26;  // 64 Mpixel, 192 MB of RGB
constexpr int kMaxSide = 65535;

inline bool SizeAllowed(int64_t w, int64_t h) {
  return w >= 1 && h >= 1 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels;
}

}  // namespace tiffdll
