// A packed DIB as any program may put it on the clipboard: the layout checks,
// then the conversion of plain 24- and 32-bit blocks into the converter's picture.
#include <cstring>
#include <vector>

#include "dib_image.h"
#include "fuzz_target.h"
#include "packed_dib.h"

VISTREL_FUZZ_TARGET(packed_dib) {
  // A block of exactly the input's size, so any read past it is caught.
  std::vector<uint8_t> block(data, data + size);
  const auto layout = vistrel::ReadPackedDibLayout(block.data(), block.size());
  if (!layout) return;
  FUZZ_REQUIRE(layout->width > 0 && layout->height > 0);
  FUZZ_REQUIRE(layout->bitsOffset <= block.size());
  FUZZ_REQUIRE(layout->bitsSize <= block.size() - layout->bitsOffset);
  const auto image = tiffdll::ImageFromPlainDib(*layout, block.data());
  if (!image) return;
  FUZZ_REQUIRE(image->width == layout->width && image->height == layout->height);
  FUZZ_REQUIRE(image->rgb.size() == image->Stride() * static_cast<size_t>(image->height));
}
