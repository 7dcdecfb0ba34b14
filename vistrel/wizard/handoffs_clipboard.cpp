#include "handoffs_clipboard.h"

#include <exception>

#include "encoders.h"

namespace vistrel::wizard {
namespace {

// The fields of BITMAPINFOHEADER and BITMAPV5HEADER as the clipboard holds
// them: little-endian, no padding.
class HeaderWriter {
 public:
  explicit HeaderWriter(std::vector<uint8_t>& out) : out_(out) {}
  HeaderWriter& U32(uint32_t value) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  HeaderWriter& U16(uint16_t value) {
    out_.push_back(static_cast<uint8_t>(value));
    out_.push_back(static_cast<uint8_t>(value >> 8));
    return *this;
  }
  HeaderWriter& Zeros(int count) {
    out_.insert(out_.end(), static_cast<size_t>(count), 0);
    return *this;
  }

 private:
  std::vector<uint8_t>& out_;
};

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitfields = 3;
constexpr uint32_t kSrgb = 0x73524742;          // LCS_sRGB, 'sRGB'
constexpr uint32_t kIntentImages = 4;           // LCS_GM_IMAGES
constexpr uint64_t kLargestBlock = 0x7FFFFFF0;  // what one clipboard block can hold

// Rows bottom-up, as readers of a positive height expect.
void WriteDibRows(std::vector<uint8_t>& out, int width, int height,
                  const std::vector<uint32_t>& pixels, int bytesPerPixel, size_t stride) {
  const size_t start = out.size();
  out.resize(start + stride * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    const uint32_t* source = pixels.data() + static_cast<size_t>(height - 1 - y) * width;
    uint8_t* row = out.data() + start + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x, row += bytesPerPixel) {
      const uint32_t pixel = source[x];
      row[0] = static_cast<uint8_t>(pixel);        // blue
      row[1] = static_cast<uint8_t>(pixel >> 8);   // green
      row[2] = static_cast<uint8_t>(pixel >> 16);  // red
      if (bytesPerPixel == 4) row[3] = 0xFF;       // opaque
    }
  }
}

std::vector<uint8_t> Dib24(int width, int height, const std::vector<uint32_t>& pixels) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> out;
  out.reserve(kInfoHeaderSize + stride * height);
  HeaderWriter(out)
      .U32(kInfoHeaderSize)
      .U32(static_cast<uint32_t>(width))
      .U32(static_cast<uint32_t>(height))
      .U16(1)
      .U16(24)
      .U32(kRgb)
      .U32(static_cast<uint32_t>(stride * height))
      .Zeros(16);  // resolution and colour counts
  WriteDibRows(out, width, height, pixels, 3, stride);
  return out;
}

std::vector<uint8_t> DibV5(int width, int height, const std::vector<uint32_t>& pixels) {
  const size_t stride = static_cast<size_t>(width) * 4;
  std::vector<uint8_t> out;
  out.reserve(kV5HeaderSize + stride * height);
  HeaderWriter(out)
      .U32(kV5HeaderSize)
      .U32(static_cast<uint32_t>(width))
      .U32(static_cast<uint32_t>(height))
      .U16(1)
      .U16(32)
      .U32(kBitfields)
      .U32(static_cast<uint32_t>(stride * height))
      .Zeros(16)
      .U32(0x00FF0000)  // red mask
      .U32(0x0000FF00)  // green
      .U32(0x000000FF)  // blue
      .U32(0xFF000000)  // alpha
      .U32(kSrgb)
      .Zeros(36 + 12)  // endpoints and gamma: unused with sRGB
      .U32(kIntentImages)
      .Zeros(12);  // profile data, profile size, reserved
  WriteDibRows(out, width, height, pixels, 4, stride);
  return out;
}

std::optional<std::vector<uint8_t>> Png(int width, int height,
                                        const std::vector<uint32_t>& pixels) {
  tiffdll::Image image(width, height);
  for (size_t i = 0; i < pixels.size(); ++i) {
    uint8_t* rgb = image.rgb.data() + i * 3;
    rgb[0] = static_cast<uint8_t>(pixels[i] >> 16);
    rgb[1] = static_cast<uint8_t>(pixels[i] >> 8);
    rgb[2] = static_cast<uint8_t>(pixels[i]);
  }
  return tiffdll::EncodePng(image);
}

}  // namespace

std::optional<ClipboardBlocks> MakeClipboardBlocks(int width, int height,
                                                   const std::vector<uint32_t>& pixels) {
  if (width <= 0 || height <= 0 ||
      pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    return std::nullopt;
  if (uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) * 4 + kV5HeaderSize >
      kLargestBlock)
    return std::nullopt;
  try {
    ClipboardBlocks blocks;
    blocks.dib = Dib24(width, height, pixels);
    blocks.dibV5 = DibV5(width, height, pixels);
    std::optional<std::vector<uint8_t>> png = Png(width, height, pixels);
    if (!png || png->empty()) return std::nullopt;
    blocks.png = std::move(*png);
    return blocks;
  } catch (const std::exception&) {  // out of memory for a large picture
    return std::nullopt;
  }
}

}  // namespace vistrel::wizard
