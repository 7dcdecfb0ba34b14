#pragma once
// The output preview's rules without the window: where it opens, what is
// stored when it closes, and how the picture follows a drag.
#include <optional>

#include "settings_store.h"

namespace vistrel::print {

inline constexpr char kPreviewCaption[] = "Tarnwick Vistrel Preview";
inline constexpr char kLoadingSuffix[] = " Loading...";

// The window's outer rectangle in twips.
struct PreviewPlacement {
  double height = 0;
  double width = 0;
  double top = 0;
  double left = 0;
  bool operator==(const PreviewPlacement&) const = default;
};

// "Divers" / "PrevHeight", "PrevWidth", "PrevTop", "PrevLeft", read in that
// order; by default half the screen, at its top right corner.
PreviewPlacement LoadPreviewPlacement(const SettingsStore& store, double screenWidthTwips,
                                      double screenHeightTwips);
// Written as single-precision numbers in general decimal text.
void SavePreviewPlacement(SettingsStore& store, const PreviewPlacement& placement,
                          char decimalSeparator);

// The drag of the picture: a move with a button pressed shifts the picture by
// the pointer's distance from the grab point, so the point under the pointer
// stays under it.
class PreviewDrag {
 public:
  struct Shift {
    double dx = 0;
    double dy = 0;
  };
  // A mouse move at (x, y) in the picture's own coordinates. Returns the shift
  // when a button is pressed and no move is under way.
  std::optional<Shift> Move(double x, double y, bool buttonPressed);
  // Set while a move is carried out (pending events run meanwhile).
  void SetBusy(bool busy) { busy_ = busy; }

 private:
  double grabX_ = 0;
  double grabY_ = 0;
  bool busy_ = false;
};

}  // namespace vistrel::print
