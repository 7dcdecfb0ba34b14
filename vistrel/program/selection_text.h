#pragma once
// The "Current selection:" text that the wizard shows.
#include <string>

namespace vistrel {

// widthTwips x heightTwips in the unit: two decimals cut toward minus
// infinity, whole numbers for pixels.
std::string SelectionDisplayText(double widthTwips, double heightTwips, double twipsPerUnit,
                                 const std::string& unitName, char decimalSeparator = '.');

}  // namespace vistrel
