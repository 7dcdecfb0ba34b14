#include "startup_texts.h"

#include <algorithm>

#include "shell_state.h"

namespace vistrel {

namespace {
constexpr char kCr[] = "\r";
constexpr char kQuote[] = "\"";
}  // namespace

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string VersionLabel() {
  return "Version: " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
         "  revision " + std::to_string(kVersionRevision);
}

std::string AlreadyRunningText(std::string_view title) {
  return std::string(title) + " already runnig.";
}

std::string NewbieTipText() {
  std::string text =
      "To make a screen-shot you will have the following possibilites (after closing this "
      "message box): ";
  text += std::string(kCr) + kCr + "1. Press your print-screen key";
  text += std::string(kCr) + kCr + "2. Double click on the camera symbol";
  text += std::string(kCr) + kCr +
          "3. Press the right mouse button above the camera symbol and select " + kQuote +
          "Make screen-shot" + kQuote;
  text += std::string(kCr) + kCr + kCr +
          "Do you want to see this message again? Note: You have to close this message box to "
          "try the above.";
  return text;
}

std::string CaptureRefusedText() {
  return std::string("Cannot make screenshots while one of the program's windows is open.") +
         kCr + kCr + "Close the window first, for example:" + kCr + "- Setup" + kCr +
         "- Autocropping Selector" + kCr + "- the first-use tip";
}

TrayTipField TrayTip(std::string_view title, int majorVersion) {
  std::string text =
      std::string(title) + " " + std::to_string(majorVersion) + " -Hit PrintScreen-key!";
  text.push_back('\0');
  TrayTipField field;
  field.fill(' ');
  std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
  field.back() = '\0';
  return field;
}

std::string ArgumentsOf(std::string_view line) {
  size_t at = 0;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  // The program's name, quoted or up to the first blank.
  if (at < line.size() && line[at] == '"') {
    size_t close = line.find('"', at + 1);
    at = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
  }
  std::string_view rest = line.substr(at);
  size_t first = rest.find_first_not_of(" \t");
  if (first == std::string_view::npos) return "";
  size_t last = rest.find_last_not_of(" \t");
  return std::string(rest.substr(first, last - first + 1));
}

bool IsSafeColor(std::string_view arguments) { return arguments == "SafeColor"; }
bool IsSetup(std::string_view arguments) { return LowerAscii(arguments) == "setup"; }
bool IsShootYourself(std::string_view arguments) {
  return LowerAscii(arguments) == "shootyourself";
}

}  // namespace vistrel
