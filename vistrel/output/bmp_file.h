#pragma once
// Windows bitmap files, written by the program itself.
#include <cstdint>
#include <span>
#include <vector>

namespace vistrel {

// Bytes per row of a 24-bit bitmap: three per pixel, padded to four.
uint32_t BmpRowStride24(int32_t width);

// A complete .bmp file (file header, info header, pixels) of a 24-bit image.
// `bottomUpRows` holds height rows of BmpRowStride24(width) bytes, blue, green,
// red, the bottom row first (what GetDIBits gives). Empty when the sizes do not
// fit or the rows are short.
std::vector<uint8_t> BmpFile24(int32_t width, int32_t height,
                               std::span<const uint8_t> bottomUpRows);

}  // namespace vistrel
