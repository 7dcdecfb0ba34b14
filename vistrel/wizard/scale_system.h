#pragma once
// The unit every size in the wizard is shown in, chosen by "ScaleSystem".
#include <cstdint>
#include <functional>
#include <string>

#include "settings_store.h"

namespace vistrel::wizard {

struct ScaleSystem {
  std::string unitName = "Pixel";
  double twipsPerUnit = 15;  // a pixel's share is the screen's own, not rounded
};

// Reads "ScaleSystem" (section "Divers", default 0) and returns its unit.
// Any value other than 0 to 4 calls `message` with "Unknown Scale Mode "
// followed by the stored value and returns `previous` unchanged.
ScaleSystem LoadScaleSystem(const SettingsStore& store, double twipsPerPixelX,
                            const ScaleSystem& previous,
                            const std::function<void(const std::string&)>& message);

}  // namespace vistrel::wizard
