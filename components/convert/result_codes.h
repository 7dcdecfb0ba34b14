#pragma once
// The numbers ConvertImage returns. 0, 33203 and 33211 are fixed by the
// program that calls us; the others are ours and are shown to the user as
// they stand.
#include <cstdint>

namespace tiffdll {

enum Result : int32_t {
  kSuccess = 0,
  kNoBitmap = 33201,          // the clipboard holds no bitmap
  kBadCommand = 33202,        // the command text cannot be read
  kColourDepth = 33203,       // never returned: every colour depth is converted
  kUnknownExtension = 33204,  // the file name's extension is not jpg, tif, png, pcx or dcx
  kWidthTooSmall = 33205,     // rescale width below 1 pixel
  kTooLarge = 33206,          // the result would be too large to hold or to store
  kClipboardBusy = 33207,     // the clipboard could not be opened or written
  kEncodeFailed = 33208,      // the encoder library reported an error
  kInternal = 33209,          // anything else that went wrong inside the component
  kCannotWrite = 33211,       // the disk or path cannot be written
};

}  // namespace tiffdll
