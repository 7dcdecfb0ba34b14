#pragma once
// One ConvertImage call from command text to result number, with the outside
// world (clipboard, files) behind an interface so that the same steps run in
// native tests.
#include <cstdint>
#include <optional>
#include <string>

#include "encoders.h"
#include "image.h"

namespace tiffdll {

class ConversionIo {
 public:
  virtual ~ConversionIo() = default;
  // The picture on the clipboard, nothing when it holds none. A Result
  // other than kNoBitmap (for instance a busy clipboard) goes to *error.
  virtual std::optional<Image> ReadClipboard(int32_t* error) = 0;
  // Replaces the clipboard's contents with the picture; a Result or 0.
  virtual int32_t WriteClipboard(const Image& image) = 0;
  // Writes the whole file under a temporary name beside it and renames it
  // into place, so that a failure leaves neither a partial file nor a
  // damaged older one. kCannotWrite or 0.
  virtual int32_t WriteFile(const std::string& path, const Bytes& bytes) = 0;
};

int32_t Convert(const std::string& command, ConversionIo& io);

}  // namespace tiffdll
