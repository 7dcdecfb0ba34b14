#pragma once
// The editor's image operations. Each works on the regions of the selected
// entries (the fill, the frame, the reductions) or on all of them (the crop);
// the caller refreshes the image afterwards.
#include <cstdint>
#include <optional>
#include <vector>

#include "edit_document.h"
#include "edit_image.h"

namespace vistlib {

// Fills every selected entry's whole region with `pixel`.
void FillSelected(EditDocument& document, uint32_t pixel);

// One frame step: every selected entry's frame becomes `width` pixels of
// `pixel` around its region, its rectangle growing or shrinking to match.
void FrameStep(EditDocument& document, int width, uint32_t pixel);
// The border command: the old frame off, then one of `width`.
void ApplyBorder(EditDocument& document, int width, uint32_t pixel);

// Crops the image to the bounding box of the selected entries' rectangles:
// the entries keep what they cover, moved into the new image, which is
// white where no entry covers it. Returns false (nothing done) with no
// selection. `box`, when given, receives the part of the old image kept.
bool CropToSelection(EditDocument& document, vistrel::Rect* box = nullptr);

// Redaction styles, in the order of the drop-down.
enum class RedactStyle { BlackBox = 0, FillColour = 1, Mosaic = 2 };

// Overwrites the area of every selected entry, in the image and in every
// region that shows a part of it, with pixels that depend only on the area's
// geometry and `style` (a mosaic draws from a fixed palette), never on the
// pixels covered. `fillPixel` is the box colour of FillColour. The caller
// refreshes the image afterwards.
void RedactSelected(EditDocument& document, RedactStyle style, uint32_t fillPixel);

// The colour reductions, by their menu values.
enum class Reduction { Bits1 = 1, Bits4 = 2, Bits8 = 3, Bits15 = 4, Bits16 = 5, Bits24 = 6, Gray = 8 };

// Every pixel as a picture of the given depth holds it (palette depths pick
// the nearest palette colour), turned back into 32 bits.
void ReduceDepth(Image& image, Reduction depth);
// The palettes the palette depths use, as pixels (0x00RRGGBB).
const std::vector<uint32_t>& ReductionPalette(Reduction depth);

// The grayscale round trip: a grayscale baseline JPEG in memory, and back.
std::vector<uint8_t> EncodeGrayJpeg(const Image& image, int quality);
std::optional<Image> DecodeJpeg(const std::vector<uint8_t>& jpeg);

}  // namespace vistlib
