#pragma once
// The effects step: the one-line command the conversion component receives for
// the effects page, the rule that decides whether the component is needed at
// all, and the DoFx sequence over injected ports.
#include <string>
#include <string_view>

#include "version.h"

namespace vistrel {

// The maker's address for problem reports, shown in the conversion error messages.
inline constexpr char kProblemReportAddress[] = VISTREL_PROBLEM_ADDRESS;

// What the effects page's boxes hold, as the user left them.
struct EffectsBoxes {
  std::string percText = "100";   // PercText(0)
  std::string scaleTextX;         // ScaleTextX
  std::string rotText = "0";      // RotText
  bool verticalMirror = false;    // Effect(0)
  bool horizontalMirror = false;  // Effect(1)
  bool invert = false;            // Effect(2)
};

// The unit the size boxes are shown in, and the screen it is measured on.
struct UnitScale {
  double twipsPerUnit = 15;      // TwipsPerUnit
  double twipsPerPixelX = 15.0;  // the screen's twips per pixel in x
  char decimalSeparator = '.';   // the user's locale, as the size boxes are written
};

// The angle sent: Val(RotText), with 360 added once to a negative value.
double SentAngle(std::string_view rotText);

// "source=clipboard, dest=clipboard" followed by the options in their fixed order.
// The command is a machine language whose options are separated by commas, so
// its numbers always use the point; the size box is read with the user's
// separator, as it was written.
std::string EffectsCommand(const EffectsBoxes& boxes, const UnitScale& unit);

// True when the component has work to do: a ticked box, an angle other than 0
// or a scale other than 100 %.
bool EffectsChanged(const EffectsBoxes& boxes);

// "DoFx-Error while converting. Please send this number to <address> <result><command>".
std::string DoFxErrorText(long result, const std::string& command);

// What DoFx needs from the outside world.
class FxPorts {
 public:
  virtual ~FxPorts() = default;
  virtual void ShowHourglass() = 0;   // remembers the pointer first
  virtual void RestorePointer() = 0;
  // TempPic holds no picture.
  virtual bool TempPicEmpty() = 0;
  // Empties the clipboard, puts TempPic on it, lets pending events run, calls
  // ConvertImage and, when it answers 0, gives FxPic the clipboard's picture
  // (empty when none could be read); any other answer leaves FxPic empty. When
  // TempPic could not be put on the clipboard, returns kClipboardBusy without
  // calling the component and leaves FxPic empty.
  virtual long ConvertTempPic(const std::string& command) = 0;
  // FxPic takes TempPic's image as it is.
  virtual void KeepTempPic() = 0;
  // FxPic becomes empty.
  virtual void ClearFxPic() = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

// Turns TempPic into FxPic; returns the component's result (0 when it was not
// needed). An empty TempPic, or a conversion that did not succeed, gives an
// empty FxPic, which the outputs refuse.
long DoFx(const EffectsBoxes& boxes, const UnitScale& unit, FxPorts& ports);

}  // namespace vistrel
