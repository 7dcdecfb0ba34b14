#pragma once
// A packed device-independent bitmap, as the clipboard's CF_DIB holds it: an
// info header, its colour masks or colour table, then the rows. Reading the
// layout checks every length against the block, so a damaged or hostile block
// is refused instead of over-read.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace vistrel {

// The compressions a packed DIB may name (the values of BI_RGB and friends).
enum DibCompression : uint32_t { kDibRgb = 0, kDibRle8 = 1, kDibRle4 = 2, kDibBitfields = 3 };

struct PackedDibLayout {
  int32_t width = 0;
  int32_t height = 0;      // always positive
  bool topDown = false;    // a negative height in the header: first row is the top
  uint16_t bitCount = 0;   // 1, 4, 8, 16, 24 or 32
  uint32_t compression = kDibRgb;
  size_t bitsOffset = 0;   // where the rows start, from the start of the block
  size_t stride = 0;       // bytes per row (0 for the run-length compressions)
  size_t bitsSize = 0;     // bytes of row data the block holds for the picture
};

std::optional<PackedDibLayout> ReadPackedDibLayout(const void* data, size_t size);

}  // namespace vistrel
