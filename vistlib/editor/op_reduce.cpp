#include <unordered_map>

#include "operations.h"

namespace vistlib {
namespace {

std::vector<uint32_t> SystemPalette16() {
  return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
          0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
}

// A halftone palette: the 16 system colours, a 6x6x6 colour cube and the
// grays between the cube's own.
std::vector<uint32_t> HalftonePalette() {
  std::vector<uint32_t> palette = SystemPalette16();
  for (uint32_t r = 0; r < 6; ++r)
    for (uint32_t g = 0; g < 6; ++g)
      for (uint32_t b = 0; b < 6; ++b) palette.push_back((r * 51) << 16 | (g * 51) << 8 | b * 51);
  for (uint32_t i = 1; i <= 24; ++i) {
    uint32_t v = i * 255 / 25;
    if (v % 51 == 0) v += 5;  // the cube has that gray already
    palette.push_back(v << 16 | v << 8 | v);
  }
  return palette;
}

uint32_t Nearest(const std::vector<uint32_t>& palette, uint32_t pixel) {
  const int r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
  uint32_t best = palette.front();
  int bestDistance = 1 << 30;
  for (uint32_t entry : palette) {
    const int dr = r - int(entry >> 16 & 0xFF), dg = g - int(entry >> 8 & 0xFF),
              db = b - int(entry & 0xFF);
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) bestDistance = distance, best = entry;
  }
  return best;
}

// A channel of `bits` bits widened to 8 the way the system widens them.
uint32_t Widen(uint32_t value, int bits) { return value << (8 - bits) | value >> (2 * bits - 8); }

uint32_t ThroughMasks(uint32_t pixel, int greenBits) {
  const uint32_t r = (pixel >> 16 & 0xFF) >> 3, g = (pixel >> 8 & 0xFF) >> (8 - greenBits),
                 b = (pixel & 0xFF) >> 3;
  return Widen(r, 5) << 16 | Widen(g, greenBits) << 8 | Widen(b, 5);
}

}  // namespace

const std::vector<uint32_t>& ReductionPalette(Reduction depth) {
  static const std::vector<uint32_t> blackWhite{0x000000, 0xFFFFFF};
  static const std::vector<uint32_t> system16 = SystemPalette16();
  static const std::vector<uint32_t> halftone = HalftonePalette();
  static const std::vector<uint32_t> none;
  switch (depth) {
    case Reduction::Bits1: return blackWhite;
    case Reduction::Bits4: return system16;
    case Reduction::Bits8: return halftone;
    default: return none;
  }
}

void ReduceDepth(Image& image, Reduction depth) {
  const std::vector<uint32_t>& palette = ReductionPalette(depth);
  if (!palette.empty()) {
    // Screenshots hold few distinct colours: each is looked up once.
    std::unordered_map<uint32_t, uint32_t> seen;
    for (uint32_t& pixel : image.pixels) {
      pixel &= 0xFFFFFF;
      auto [it, fresh] = seen.try_emplace(pixel, 0);
      if (fresh) it->second = Nearest(palette, pixel);
      pixel = it->second;
    }
    return;
  }
  if (depth == Reduction::Bits15 || depth == Reduction::Bits16) {
    for (uint32_t& pixel : image.pixels) pixel = ThroughMasks(pixel, depth == Reduction::Bits15 ? 5 : 6);
  }
}

}  // namespace vistlib
