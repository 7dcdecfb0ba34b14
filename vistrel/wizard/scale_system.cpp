#include "scale_system.h"

#include "number_text.h"

namespace vistrel::wizard {

ScaleSystem LoadScaleSystem(const SettingsStore& store, double twipsPerPixelX,
                            const ScaleSystem& previous,
                            const std::function<void(const std::string&)>& message) {
  const std::string stored = store.GetSetting("Divers", "ScaleSystem", "0");
  const double value = Val(stored);
  ScaleSystem scale;
  if (value == 0) {
    // The screen's own twips per pixel, unrounded: at 192 dpi a pixel is 7.5
    // twips, and a rounded 8 would show a 1920-pixel capture as 1800 pixels.
    // A display reporting nothing sensible still needs a divisor that is not 0.
    scale = {"Pixel", twipsPerPixelX > 0 ? twipsPerPixelX : 15.0};
  } else if (value == 1) {
    scale = {"Inch", 1440};
  } else if (value == 2) {
    scale = {"Millimeter", 57};
  } else if (value == 3) {
    scale = {"Centimeter", 567};
  } else if (value == 4) {
    scale = {"Twip", 1};
  } else {
    if (message) message("Unknown Scale Mode " + stored);
    return previous;
  }
  return scale;
}

}  // namespace vistrel::wizard
