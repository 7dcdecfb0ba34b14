#pragma once
// File encoders. Each returns the whole file in memory, so that the file
// itself can be written in one go under a temporary name; nothing when the
// picture cannot be encoded in that format.
#include <cstdint>
#include <optional>
#include <vector>

#include "command.h"
#include "image.h"

namespace tiffdll {

using Bytes = std::vector<uint8_t>;

std::optional<Bytes> EncodeJpeg(const Image& image, int quality = 90);
std::optional<Bytes> EncodePng(const Image& image);
std::optional<Bytes> EncodeTiff(const Image& image);
// ZSoft PCX version 5, 24-bit as three RLE-packed planes per line.
std::optional<Bytes> EncodePcx(const Image& image);
// The DCX container holding one PCX page.
std::optional<Bytes> EncodeDcx(const Image& image);

std::optional<Bytes> Encode(const Image& image, FileFormat format);

// Readers for what EncodePcx and EncodeDcx write (24-bit, three planes) and
// for 8-bit paletted PCX; nothing for anything malformed.
std::optional<Image> DecodePcx(const uint8_t* data, size_t size);
std::optional<Image> DecodeDcxFirstPage(const uint8_t* data, size_t size);

}  // namespace tiffdll
