#include "capture_rules.h"

#include <cstring>

namespace vistlib {

vistrel::Rect ChooseActiveWindowRect(const std::optional<vistrel::Rect>& foreground,
                                     const vistrel::Rect& desktop, const vistrel::Rect& previous) {
  vistrel::Rect chosen = foreground.value_or(previous);
  if (chosen.right == 0 || chosen.bottom == 0) return desktop;
  return chosen;
}

bool CursorRequested(const char* argument) {
  return argument != nullptr && std::strcmp(argument, "1") == 0;
}

}  // namespace vistlib
