#pragma once
// Pictures to and from the Windows clipboard.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "image.h"

namespace tiffdll {

// The clipboard's bitmap (CF_BITMAP with its CF_PALETTE, else CF_DIB) in any
// colour depth. Nothing when there is none: *error is kNoBitmap, or
// kClipboardBusy when another program keeps the clipboard open.
std::optional<Image> ReadClipboardImage(int32_t* error);

// Empties the clipboard and puts the picture on it as a 24-bit CF_DIB (from
// which Windows makes CF_BITMAP for those who ask for that). 0 or a Result.
int32_t WriteClipboardImage(const Image& image);

// Conversions between the packed-DIB layout and Image, exposed for tests.
std::optional<Image> ImageFromPackedDib(const void* data, size_t size);
HGLOBAL PackedDibFromImage(const Image& image);

}  // namespace tiffdll
