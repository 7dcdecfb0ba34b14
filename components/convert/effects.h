#pragma once
// The picture effects, applied in the order the program relies on: rescale
// first (the width it sends is taken from the unturned picture), then invert,
// mirror and turn.
#include <optional>

#include "command.h"
#include "image.h"

namespace tiffdll {

// New width in whole pixels (halves to even); the height keeps the aspect.
// Shrinking averages the covered area, enlarging samples bilinearly.
Image Rescale(const Image& source, int width, int height);
// The size Rescale should produce for a requested width, or nothing when the
// result would be too large.
std::optional<std::pair<int, int>> RescaledSize(const Image& source, double width);

void Invert(Image& image);
void MirrorLeftRight(Image& image);
void MirrorTopBottom(Image& image);

// Turns clockwise. Multiples of 90 degrees move pixels exactly; other angles
// sample bilinearly into a canvas that holds the whole turned picture, with
// white where the picture does not reach. Nothing when the canvas would be
// too large.
std::optional<Image> Rotate(const Image& source, double degrees);

// Everything the command asks of the picture, in the order above. The error
// is a Result when the picture cannot be produced.
struct EffectsOutcome {
  std::optional<Image> image;
  int error = 0;
};
EffectsOutcome ApplyEffects(Image image, const Command& command);

}  // namespace tiffdll
