#include "selection_text.h"

#include <cmath>

#include "number_text.h"
#include "startup_texts.h"

namespace vistrel {

std::string SelectionDisplayText(double widthTwips, double heightTwips, double twipsPerUnit,
                                 const std::string& unitName, char decimalSeparator) {
  // A unit of zero twips would divide by zero; show the raw twips instead.
  if (twipsPerUnit == 0) twipsPerUnit = 1;
  double width = std::floor(widthTwips * 100 / twipsPerUnit) / 100;
  double height = std::floor(heightTwips * 100 / twipsPerUnit) / 100;
  if (LowerAscii(unitName) == "pixel") {
    width = std::floor(width);
    height = std::floor(height);
  }
  return "Current selection: " + GeneralDecimalText(width, decimalSeparator) + " x " +
         GeneralDecimalText(height, decimalSeparator) + " " + unitName;
}

}  // namespace vistrel
