#include "bmp_file.h"

#include <cstring>
#include <limits>

namespace vistrel {

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;

}  // namespace

uint32_t BmpRowStride24(int32_t width) {
  return static_cast<uint32_t>((static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3});
}

std::vector<uint8_t> BmpFile24(int32_t width, int32_t height,
                               std::span<const uint8_t> bottomUpRows) {
  if (width <= 0 || height <= 0 || width > (1 << 24)) return {};
  uint64_t imageSize = uint64_t{BmpRowStride24(width)} * static_cast<uint64_t>(height);
  uint64_t fileSize = kFileHeader + kInfoHeader + imageSize;
  if (fileSize > std::numeric_limits<uint32_t>::max() || bottomUpRows.size() < imageSize) {
    return {};
  }
  std::vector<uint8_t> out(static_cast<size_t>(fileSize));
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(fileSize));
  Put32(out, 10, kFileHeader + kInfoHeader);  // offset of the pixels
  Put32(out, 14, kInfoHeader);
  Put32(out, 18, static_cast<uint32_t>(width));
  Put32(out, 22, static_cast<uint32_t>(height));  // positive: bottom-up rows
  Put16(out, 26, 1);                              // planes
  Put16(out, 28, 24);                             // bits per pixel
  Put32(out, 30, 0);                              // BI_RGB
  Put32(out, 34, static_cast<uint32_t>(imageSize));
  Put32(out, 38, 3780);  // 96 dpi in pixels per metre
  Put32(out, 42, 3780);
  std::memcpy(out.data() + kFileHeader + kInfoHeader, bottomUpRows.data(),
              static_cast<size_t>(imageSize));
  return out;
}

}  // namespace vistrel
