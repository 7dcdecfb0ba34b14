#include "effects_command.h"

#include "number_text.h"
#include "output_picture.h"

namespace vistrel {

namespace {

// A box the program filled with the user's decimal separator: read in full, not
// cut at a decimal comma.
double BoxValue(std::string_view text, char decimalSeparator) {
  std::string copy(text);
  if (decimalSeparator != '.') {
    size_t at = copy.find(decimalSeparator);
    if (at != std::string::npos && copy.find('.') == std::string::npos) copy[at] = '.';
  }
  return Val(copy);
}

}  // namespace

double SentAngle(std::string_view rotText) {
  double angle = Val(rotText);
  if (angle < 0) angle += 360;  // once only: -500 stays negative, as the component expects
  return angle;
}

std::string EffectsCommand(const EffectsBoxes& boxes, const UnitScale& unit) {
  std::string command = "source=clipboard, dest=clipboard";
  if (boxes.invert) command += ",inv=1 ";
  if (boxes.verticalMirror) command += ",mirror=2 ";
  if (boxes.horizontalMirror) command += ",mirror=1 ";
  command += ",rot=" + GeneralDecimalText(SentAngle(boxes.rotText));
  double width = BoxValue(boxes.scaleTextX, unit.decimalSeparator) * unit.twipsPerUnit;
  if (unit.twipsPerPixelX != 0) width /= unit.twipsPerPixelX;
  command += ",rescale=" + GeneralDecimalText(width) + "pix";
  return command;
}

bool EffectsChanged(const EffectsBoxes& boxes) {
  return boxes.invert || boxes.verticalMirror || boxes.horizontalMirror ||
         SentAngle(boxes.rotText) != 0 || Val(boxes.percText) != 100;
}

std::string DoFxErrorText(long result, const std::string& command) {
  return std::string("DoFx-Error while converting. Please send this number to ") +
         kProblemReportAddress + " " + std::to_string(result) + command;
}

long DoFx(const EffectsBoxes& boxes, const UnitScale& unit, FxPorts& ports) {
  ports.ShowHourglass();
  std::string command = EffectsCommand(boxes, unit);
  long result = 0;
  if (ports.TempPicEmpty()) {
    // Nothing to convert; the outputs say so when they are asked for.
    ports.ClearFxPic();
  } else if (EffectsChanged(boxes)) {
    result = ports.ConvertTempPic(command);
  } else {
    ports.KeepTempPic();
  }
  if (result != 0) {
    // A refused conversion leaves TempPic itself on the clipboard; taking it
    // would send the unconverted picture to every output. Empty, each output
    // refuses with its own message and writes nothing.
    ports.ClearFxPic();
    ports.ShowMessage(result == kClipboardBusy ? std::string(kClipboardBusyText)
                                               : DoFxErrorText(result, command));
  }
  ports.RestorePointer();
  return result;
}

}  // namespace vistrel
