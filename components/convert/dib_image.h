#pragma once
// Plain 24- and 32-bit packed DIBs straight into the converter's picture,
// without a round trip through GDI (the usual clipboard hand-off; a screen
// picture is several megabytes).
#include <optional>

#include "image.h"
#include "packed_dib.h"

namespace tiffdll {

// Nothing for other depths and compressions, which GDI has to draw.
std::optional<Image> ImageFromPlainDib(const vistrel::PackedDibLayout& layout, const void* block);

}  // namespace tiffdll
