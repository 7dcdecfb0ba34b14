#pragma once
// File encoders. Each returns the whole file in memory, so that the file
// itself can be written in one go under a temporary name; nothing when the
// picture cannot be encoded in that format.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "command.h"
#include "image.h"

namespace tiffdll {

using Bytes = std::vector<uint8_t>;

std::optional<Bytes> EncodeJpeg(const Image& image, int quality = 90);
std::optional<Bytes> EncodePng(const Image& image);

// Reads `count` rows from row `first` on, top to bottom, as RGB without
// padding into `out`; false when they cannot be had.
using RowReader = std::function<bool(int first, int count, uint8_t* out)>;
// Takes the file's next bytes; false when they could not be written.
using ByteSink = std::function<bool(const uint8_t* data, size_t size)>;

// The png EncodePng makes of the same picture (the same pixels and packing,
// a few bytes more per seam between blocks of rows), made and handed on a
// block of rows at a time: what it holds is a few blocks, never the picture.
// False when a read, the packing or a write failed.
bool EncodePngStreamed(int width, int height, const RowReader& read, const ByteSink& write);
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
