#include "effects_command.h"

#include "number_text.h"

namespace vistrel {

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
  command += ",rot=" + GeneralDecimalText(SentAngle(boxes.rotText), unit.decimalSeparator);
  double width = Val(boxes.scaleTextX) * unit.twipsPerUnit;
  if (unit.twipsPerPixelX != 0) width /= unit.twipsPerPixelX;
  command += ",rescale=" + GeneralDecimalText(width, unit.decimalSeparator) + "pix";
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
  if (EffectsChanged(boxes)) {
    result = ports.ConvertTempPic(command);
  } else {
    ports.KeepTempPic();
  }
  if (result != 0) ports.ShowMessage(DoFxErrorText(result, command));
  ports.RestorePointer();
  return result;
}

}  // namespace vistrel
