#include "scale_texts.h"

#include <cmath>

#include "number_text.h"

namespace vistrel {

namespace {

// crop size in the unit, scaled by p percent
std::string ScaledSize(double cropTwips, double percent, const ScaleContext& crop) {
  if (crop.twipsPerUnit == 0) return "0";
  return GeneralDecimalText(cropTwips * percent / 100 / crop.twipsPerUnit, crop.decimalSeparator);
}

// The percentage that makes `sizeText` (in the unit) out of the crop size.
std::optional<double> PercentFor(std::string_view sizeText, double cropTwips,
                                 const ScaleContext& crop) {
  if (cropTwips == 0 || crop.twipsPerUnit == 0) return std::nullopt;
  return Val(sizeText) * 100 / (cropTwips / crop.twipsPerUnit);
}

}  // namespace

ScaleTexts UpdateScaleTexts(std::string_view percText, const ScaleContext& crop) {
  double p = Val(percText);
  return {std::string(percText), ScaledSize(crop.cropWidthTwips, p, crop),
          ScaledSize(crop.cropHeightTwips, p, crop)};
}

std::optional<ScaleTexts> ScaleTextXKeyUp(std::string_view scaleTextX, const ScaleContext& crop) {
  std::optional<double> p = PercentFor(scaleTextX, crop.cropWidthTwips, crop);
  if (!p) return std::nullopt;
  return ScaleTexts{GeneralDecimalText(*p, crop.decimalSeparator), std::string(scaleTextX),
                    ScaledSize(crop.cropHeightTwips, *p, crop)};
}

std::optional<ScaleTexts> ScaleTextYKeyUp(std::string_view scaleTextY, const ScaleContext& crop) {
  std::optional<double> p = PercentFor(scaleTextY, crop.cropHeightTwips, crop);
  if (!p) return std::nullopt;
  return ScaleTexts{GeneralDecimalText(*p, crop.decimalSeparator),
                    ScaledSize(crop.cropWidthTwips, *p, crop), std::string(scaleTextY)};
}

std::string RotScrollText(int value) { return std::to_string(value); }

RotTextRewrite RotTextChanged(std::string_view rotText, char decimalSeparator) {
  double value = Val(rotText);
  RotTextRewrite change;
  change.text = GeneralDecimalText(value, decimalSeparator);
  double rounded = RoundHalfEven(value);
  if (std::isfinite(rounded) && rounded >= kRotScrollMin && rounded <= kRotScrollMax) {
    change.scrollValue = static_cast<int>(rounded);
  }
  return change;
}

}  // namespace vistrel
