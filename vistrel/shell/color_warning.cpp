#include "color_warning.h"

#include <cmath>

#include "number_text.h"

namespace vistrel {

namespace {
constexpr char kSection[] = "Divers";
constexpr char kKey[] = "ColorWarning";
constexpr double kTrueColor32 = 4294967296.0;
}  // namespace

double ColorCount(int bitsPerPixel, int planes) {
  return std::pow(2.0, static_cast<double>(bitsPerPixel)) * static_cast<double>(planes);
}

std::string ColorText(double colorCount) {
  if (colorCount == 65536.0) return "High Color (16bit)";
  if (colorCount == kTrueColor32) return "True Color (32bit)";
  return GeneralDecimalText(colorCount) + " color";
}

std::string ColorWarningMessage(double colorCount, const std::string& title) {
  const std::string cr = "\r";
  return "Windows is currently running in " + ColorText(colorCount) + " mode. " + cr + title +
         " is running in compatibility mode. " + "Because of this you can only use .bmp files. " +
         "If you switch Windows to 16, 256 or True Color (24 bit) you can use many graphic "
         "formats more! " +
         "(Control Panel / Item \"Display\" You will have to restart " + title + ")" + cr + cr +
         "Do you want to see this message again?";
}

bool PrepareColorWarning(SettingsStore& store, double colorCount) {
  const std::string countText = GeneralDecimalText(colorCount);
  if (store.GetSetting(kSection, kKey, countText) != countText) {
    store.SaveSetting(kSection, kKey, "-1");
  }
  return store.GetSetting(kSection, kKey, countText) != countText && colorCount == kTrueColor32;
}

bool AnswerColorWarning(SettingsStore& store, double colorCount, WarningAnswer answer,
                        bool safeColor) {
  if (safeColor) return true;
  switch (answer) {
    case WarningAnswer::Yes:
      return false;
    case WarningAnswer::No:
      store.SaveSetting(kSection, kKey, GeneralDecimalText(colorCount));
      return false;
    case WarningAnswer::Cancel:
      return true;
  }
  return false;
}

}  // namespace vistrel
