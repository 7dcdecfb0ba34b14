// ZSoft PCX (version 5, 24-bit as three planes of run-length packed bytes per
// line) and the DCX container of PCX pages. No library writes these, so they
// are done here, together with a reader for the same files.
#include <algorithm>
#include <cstring>

#include "encoders.h"

namespace tiffdll {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr uint32_t kDcxMagic = 987654321;
constexpr size_t kDcxTableEntries = 1024;

void Put16(uint8_t* p, unsigned v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
unsigned Get16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Runs of up to 63 equal bytes; a single byte below 0xC0 stands for itself.
void PackRun(Bytes& out, const uint8_t* line, size_t length) {
  size_t i = 0;
  while (i < length) {
    uint8_t value = line[i];
    size_t run = 1;
    while (i + run < length && run < 63 && line[i + run] == value) ++run;
    if (run > 1 || value >= 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | run));
    out.push_back(value);
    i += run;
  }
}

}  // namespace

std::optional<Bytes> EncodePcx(const Image& image) {
  // The header keeps the last column and row in 16 bits.
  if (image.Empty() || image.width > 65536 || image.height > 65536) return std::nullopt;
  const size_t bytesPerLine = (static_cast<size_t>(image.width) + 1) & ~size_t{1};
  if (bytesPerLine > 65535) return std::nullopt;
  Bytes out(kHeaderSize, 0);
  uint8_t* h = out.data();
  h[0] = 0x0A;  // manufacturer
  h[1] = 5;     // version
  h[2] = 1;     // run-length encoding
  h[3] = 8;     // bits per pixel and plane
  Put16(h + 4, 0);
  Put16(h + 6, 0);
  Put16(h + 8, static_cast<unsigned>(image.width - 1));
  Put16(h + 10, static_cast<unsigned>(image.height - 1));
  Put16(h + 12, 96);
  Put16(h + 14, 96);
  h[65] = 3;  // planes
  Put16(h + 66, static_cast<unsigned>(bytesPerLine));
  Put16(h + 68, 1);  // colour palette
  out.reserve(kHeaderSize + image.rgb.size() / 2);

  Bytes plane(bytesPerLine, 0);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image.Row(y);
    for (int c = 0; c < 3; ++c) {
      for (int x = 0; x < image.width; ++x) plane[static_cast<size_t>(x)] = row[x * 3 + c];
      PackRun(out, plane.data(), bytesPerLine);
    }
  }
  return out;
}

std::optional<Bytes> EncodeDcx(const Image& image) {
  auto page = EncodePcx(image);
  if (!page) return std::nullopt;
  const size_t tableSize = 4 + 4 * kDcxTableEntries;
  Bytes out(tableSize, 0);
  Put32(out.data(), kDcxMagic);
  Put32(out.data() + 4, static_cast<uint32_t>(tableSize));  // the one page; a zero ends the list
  out.insert(out.end(), page->begin(), page->end());
  return out;
}

std::optional<Bytes> Encode(const Image& image, FileFormat format) {
  switch (format) {
    case FileFormat::kJpeg: return EncodeJpeg(image);
    case FileFormat::kTiff: return EncodeTiff(image);
    case FileFormat::kPng: return EncodePng(image);
    case FileFormat::kPcx: return EncodePcx(image);
    case FileFormat::kDcx: return EncodeDcx(image);
  }
  return std::nullopt;
}

std::optional<Image> DecodePcx(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kHeaderSize || data[0] != 0x0A || data[2] != 1 || data[3] != 8)
    return std::nullopt;
  const int planes = data[65];
  if (planes != 3 && planes != 1) return std::nullopt;
  const unsigned xmin = Get16(data + 4), ymin = Get16(data + 6);
  const unsigned xmax = Get16(data + 8), ymax = Get16(data + 10);
  if (xmax < xmin || ymax < ymin) return std::nullopt;
  const int width = static_cast<int>(xmax - xmin + 1), height = static_cast<int>(ymax - ymin + 1);
  const size_t bytesPerLine = Get16(data + 66);
  if (bytesPerLine < static_cast<size_t>(width) || !SizeAllowed(width, height)) return std::nullopt;

  const uint8_t* palette = nullptr;  // 256 colours after a 0x0C at the end
  if (planes == 1) {
    if (size < kHeaderSize + 769 || data[size - 769] != 0x0C) return std::nullopt;
    palette = data + size - 768;
  }
  Image image(width, height);
  const size_t lineBytes = bytesPerLine * static_cast<size_t>(planes);
  Bytes line(lineBytes);
  size_t pos = kHeaderSize;
  const size_t end = palette ? size - 769 : size;
  for (int y = 0; y < height; ++y) {
    size_t filled = 0;
    while (filled < lineBytes) {
      if (pos >= end) return std::nullopt;
      uint8_t b = data[pos++];
      size_t count = 1;
      if ((b & 0xC0) == 0xC0) {
        count = b & 0x3F;
        if (pos >= end) return std::nullopt;
        b = data[pos++];
      }
      // A run may not spill past the line (a damaged or hostile file).
      if (filled + count > lineBytes) return std::nullopt;
      std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(filled), count, b);
      filled += count;
    }
    uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      if (palette) {
        std::memcpy(row + x * 3, palette + line[static_cast<size_t>(x)] * 3, 3);
      } else {
        for (int c = 0; c < 3; ++c) row[x * 3 + c] = line[c * bytesPerLine + static_cast<size_t>(x)];
      }
    }
  }
  return image;
}

std::optional<Image> DecodeDcxFirstPage(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 8 || Get32(data) != kDcxMagic) return std::nullopt;
  uint32_t offset = Get32(data + 4);
  if (offset == 0 || offset >= size) return std::nullopt;
  return DecodePcx(data + offset, size - offset);
}

}  // namespace tiffdll
