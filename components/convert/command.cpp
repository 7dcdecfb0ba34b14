#include "command.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "result_codes.h"

namespace tiffdll {
namespace {

constexpr std::string_view kPrefix = "source=clipboard, dest=";
constexpr std::string_view kClipboard = "clipboard";

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// A whole decimal number; an exponent is allowed because very large or small
// values are written that way. Nothing else may follow it. The separator is
// the point; one decimal comma is taken too, from callers that wrote the
// number in their locale.
std::optional<double> Number(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  int separators = 0;
  for (char c : text) {
    if (c == '.' || c == ',') ++separators;
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == ',' || c == '-' ||
          c == '+' || c == 'e' || c == 'E'))
      return std::nullopt;
  }
  if (separators > 1) return std::nullopt;
  std::string copy(text);
  for (char& c : copy) {
    if (c == ',') c = '.';
  }
  char* end = nullptr;
  double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

ParsedCommand Fail(int32_t error) { return ParsedCommand{std::nullopt, error}; }

// Where the option that starts `rest` ends: at the next comma that begins a new
// "key=" option. A comma followed by digits and no '=' before the next comma is
// a decimal comma inside the value ("rot=12,5").
size_t OptionEnd(std::string_view rest) {
  size_t comma = rest.find(',');
  while (comma != std::string_view::npos) {
    std::string_view after = rest.substr(comma + 1);
    std::string_view piece = after.substr(0, after.find(','));
    bool decimal = !after.empty() && std::isdigit(static_cast<unsigned char>(after.front())) &&
                   piece.find('=') == std::string_view::npos;
    if (!decimal) return comma;
    comma = rest.find(',', comma + 1);
  }
  return comma;
}

}  // namespace

std::optional<FileFormat> FormatFromPath(std::string_view path) {
  size_t slash = path.find_last_of("\\/:");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string_view ext = name.substr(dot + 1);
  if (EqualNoCase(ext, "jpg") || EqualNoCase(ext, "jpeg")) return FileFormat::kJpeg;
  if (EqualNoCase(ext, "tif") || EqualNoCase(ext, "tiff")) return FileFormat::kTiff;
  if (EqualNoCase(ext, "png")) return FileFormat::kPng;
  if (EqualNoCase(ext, "pcx")) return FileFormat::kPcx;
  if (EqualNoCase(ext, "dcx")) return FileFormat::kDcx;
  return std::nullopt;
}

ParsedCommand ParseCommand(std::string_view text) {
  // A caller that appends a line end should not end up with it in a file name.
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  if (text.size() < kPrefix.size() || !EqualNoCase(text.substr(0, kPrefix.size()), kPrefix))
    return Fail(kBadCommand);
  std::string_view dest = text.substr(kPrefix.size());

  Command command;
  bool clipboard = EqualNoCase(dest, kClipboard) ||
                   (dest.size() > kClipboard.size() &&
                    EqualNoCase(dest.substr(0, kClipboard.size()), kClipboard) &&
                    dest[kClipboard.size()] == ',');
  if (!clipboard) {
    if (Trim(dest).empty()) return Fail(kBadCommand);
    auto format = FormatFromPath(dest);
    if (!format) return Fail(kUnknownExtension);
    command.path = std::string(dest);
    command.format = *format;
    return ParsedCommand{command, 0};
  }

  command.toClipboard = true;
  std::string_view rest = dest.substr(kClipboard.size());
  bool seenInv = false, seenRot = false, seenRescale = false;
  while (!rest.empty()) {
    if (rest.front() != ',') return Fail(kBadCommand);
    rest.remove_prefix(1);
    size_t next = OptionEnd(rest);
    std::string_view option = rest.substr(0, next);
    rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);

    size_t eq = option.find('=');
    if (eq == std::string_view::npos) return Fail(kBadCommand);
    std::string_view name = Trim(option.substr(0, eq));
    std::string_view value = Trim(option.substr(eq + 1));
    if (EqualNoCase(name, "inv")) {
      if (seenInv || (value != "1" && value != "0")) return Fail(kBadCommand);
      seenInv = true;
      command.invert = value == "1";
    } else if (EqualNoCase(name, "mirror")) {
      if (value == "1" && !command.mirrorLeftRight) {
        command.mirrorLeftRight = true;
      } else if (value == "2" && !command.mirrorTopBottom) {
        command.mirrorTopBottom = true;
      } else {
        return Fail(kBadCommand);
      }
    } else if (EqualNoCase(name, "rot")) {
      auto angle = Number(value);
      if (seenRot || !angle) return Fail(kBadCommand);
      seenRot = true;
      command.angle = *angle;
    } else if (EqualNoCase(name, "rescale")) {
      constexpr std::string_view kUnit = "pix";
      if (seenRescale || value.size() < kUnit.size() ||
          !EqualNoCase(value.substr(value.size() - kUnit.size()), kUnit))
        return Fail(kBadCommand);
      auto width = Number(value.substr(0, value.size() - kUnit.size()));
      if (!width) return Fail(kBadCommand);
      if (*width < 1) return Fail(kWidthTooSmall);
      seenRescale = true;
      command.width = *width;
    } else {
      return Fail(kBadCommand);
    }
  }
  return ParsedCommand{command, 0};
}

}  // namespace tiffdll
