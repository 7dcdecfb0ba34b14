#pragma once
// The effects page's size and rotation boxes: percentage, width and height keep
// the crop's proportions; the rotation box and its spin bar follow each other.
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

// The crop the boxes describe, and how sizes are shown.
struct ScaleContext {
  double cropWidthTwips = 0;   // CropRect width
  double cropHeightTwips = 0;  // CropRect height
  double twipsPerUnit = 15;    // TwipsPerUnit
  char decimalSeparator = '.';
};

struct ScaleTexts {
  std::string percText;    // PercText(0)
  std::string scaleTextX;  // ScaleTextX
  std::string scaleTextY;  // ScaleTextY
};

// UpdateScaleTexts, and a key released in PercText(0): the two size boxes from
// the percentage (percText is returned as given).
ScaleTexts UpdateScaleTexts(std::string_view percText, const ScaleContext& crop);

// A key released in ScaleTextX: the percentage and the height follow the width.
// With a crop of no width the percentage cannot follow: nothing changes.
std::optional<ScaleTexts> ScaleTextXKeyUp(std::string_view scaleTextX, const ScaleContext& crop);

// A key released in ScaleTextY: the percentage and the width follow the height.
std::optional<ScaleTexts> ScaleTextYKeyUp(std::string_view scaleTextY, const ScaleContext& crop);

inline constexpr int kRotScrollMin = -180;
inline constexpr int kRotScrollMax = 180;

// A change of rotScroll: the text RotText receives.
std::string RotScrollText(int value);

struct RotTextRewrite {
  std::string text;                // RotText rewritten with its own Val
  std::optional<int> scrollValue;  // rotScroll's new value; none when out of range
};

// A change of RotText: "45abc" becomes "45", "abc" becomes "0".
RotTextRewrite RotTextChanged(std::string_view rotText, char decimalSeparator = '.');

}  // namespace vistrel
