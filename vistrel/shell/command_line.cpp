#include "command_line.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "startup_texts.h"

namespace vistrel {

namespace {

constexpr std::array<const char*, 6> kFormats = {"bmp", "jpg", "tif", "png", "pcx", "dcx"};
constexpr int kMaxDelaySeconds = 3600;
constexpr char kSeeHelp[] = " Run \"vistrel --help\" for the usage.";

bool IsFormat(std::string_view word) {
  for (const char* format : kFormats)
    if (word == format) return true;
  return false;
}

std::string FormatList() {
  std::string list;
  for (const char* format : kFormats) list += (list.empty() ? "" : ", ") + std::string(format);
  return list;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A whole number, sign allowed; nothing else in the text.
std::optional<long> WholeNumber(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
  if (at == text.size()) return std::nullopt;
  for (size_t i = at; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  return std::strtol(std::string(text).c_str(), nullptr, 10);
}

// Seconds as a decimal with a point ("2", "0.5"); never depends on the locale.
std::optional<double> Seconds(std::string_view text) {
  size_t at = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (at == text.size() || text.size() > 12) return std::nullopt;
  double value = 0;
  double scale = 0;
  bool digits = false;
  for (size_t i = at; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && scale == 0) {
      scale = 1;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (scale == 0) {
        value = value * 10 + (c - '0');
      } else {
        scale /= 10;
        value += (c - '0') * scale;
      }
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  return at == 1 ? -value : value;
}

std::optional<Rect> RectangleWords(std::string_view text) {
  std::array<long, 4> values{};
  size_t start = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    size_t comma = text.find(',', start);
    const bool last = i + 1 == values.size();
    if (last != (comma == std::string_view::npos)) return std::nullopt;
    auto number = WholeNumber(text.substr(start, last ? std::string_view::npos : comma - start));
    if (!number || std::labs(*number) > 1000000) return std::nullopt;
    values[i] = *number;
    start = comma + 1;
  }
  return Rect{static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
              static_cast<int32_t>(values[0] + values[2]),
              static_cast<int32_t>(values[1] + values[3])};
}

ParsedCommand Failure(std::string message) {
  ParsedCommand parsed;
  parsed.kind = CommandKind::Error;
  parsed.error = std::move(message);
  return parsed;
}

std::string RectangleText(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.Width()) +
         "," + std::to_string(r.Height());
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return LowerAscii(path.substr(dot + 1));
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\\') {
      size_t count = 0;
      while (i < line.size() && line[i] == '\\') ++count, ++i;
      if (i < line.size() && line[i] == '"') {
        // 2n backslashes and a quote: n backslashes, the quote groups;
        // 2n+1: n backslashes and a literal quote.
        word.append(count / 2, '\\');
        if (count % 2 == 1) {
          word += '"';
        } else {
          quoted = !quoted;
        }
      } else {
        word.append(count, '\\');
        --i;
      }
      inWord = true;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

ParsedCommand ParseCommandLine(const std::vector<std::string>& words) {
  ParsedCommand parsed;
  if (words.empty()) return parsed;
  const std::string first = LowerAscii(words[0]);
  if (first == "--help" || first == "-h" || first == "/?" || first == "help") {
    if (words.size() > 1) return Failure("--help takes nothing after it." + std::string(kSeeHelp));
    parsed.kind = CommandKind::Help;
    return parsed;
  }
  if (first != "capture") return parsed;

  CaptureCommand& c = parsed.capture;
  bool delayGiven = false;
  bool outGiven = false;
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    const std::string lower = LowerAscii(word);
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= words.size()) return std::nullopt;
      return words[++i];
    };
    auto twice = [](const std::string& option) {
      return Failure(option + " is given twice." + kSeeHelp);
    };
    if (lower == "--help" || lower == "-h" || lower == "/?") {
      parsed.kind = CommandKind::Help;
      return parsed;
    }
    if (lower == "--delay") {
      if (delayGiven) return twice(lower);
      delayGiven = true;
      auto text = value();
      if (!text) return Failure("--delay needs a number of seconds." + std::string(kSeeHelp));
      auto seconds = Seconds(*text);
      if (!seconds) {
        return Failure("--delay needs a number of seconds, not " + Quoted(*text) + ".");
      }
      if (*seconds < 0) return Failure("The delay cannot be negative: " + *text + " seconds.");
      if (*seconds > kMaxDelaySeconds) {
        return Failure("The delay can be at most " + std::to_string(kMaxDelaySeconds) +
                       " seconds, not " + *text + ".");
      }
      c.delayMs = static_cast<int>(std::lround(*seconds * 1000));
    } else if (lower == "--out") {
      if (outGiven) return twice(lower);
      outGiven = true;
      auto text = value();
      if (!text || text->empty()) {
        return Failure("--out needs a file or folder name." + std::string(kSeeHelp));
      }
      c.out = *text;
    } else if (lower == "--format") {
      if (!c.format.empty()) return twice(lower);
      auto text = value();
      if (!text) return Failure("--format needs one of " + FormatList() + ".");
      std::string format = LowerAscii(*text);
      if (!format.empty() && format[0] == '.') format.erase(0, 1);
      if (!IsFormat(format)) {
        return Failure("--format must be one of " + FormatList() + ", not " + Quoted(*text) + ".");
      }
      c.format = format;
    } else if (lower == "--clipboard") {
      if (c.clipboard) return twice(lower);
      c.clipboard = true;
    } else if (lower == "--wizard") {
      if (c.wizard) return twice(lower);
      c.wizard = true;
    } else if (lower == "full" || lower == "window" || lower == "monitor" ||
               (!lower.empty() && (lower[0] == '-' || (lower[0] >= '0' && lower[0] <= '9')) &&
                lower.find(',') != std::string::npos)) {
      if (c.areaGiven) {
        return Failure("Only one area can be captured; " + Quoted(word) + " is a second one.");
      }
      c.areaGiven = true;
      if (lower == "full") {
        c.area = CaptureArea::Full;
      } else if (lower == "window") {
        c.area = CaptureArea::Window;
      } else if (lower == "monitor") {
        c.area = CaptureArea::Monitor;
      } else {
        auto rect = RectangleWords(lower);
        if (!rect) {
          return Failure("The rectangle must be x,y,width,height in whole pixels, not " +
                         Quoted(word) + ".");
        }
        if (rect->Width() <= 0 || rect->Height() <= 0) {
          return Failure("The rectangle " + word +
                         " has no area: width and height must be "
                         "at least 1 pixel.");
        }
        c.area = CaptureArea::Rectangle;
        c.rectangle = *rect;
      }
    } else {
      return Failure("Unknown word " + Quoted(word) + " after capture." + kSeeHelp);
    }
  }
  if (c.wizard && (c.clipboard || !c.out.empty() || !c.format.empty() || c.areaGiven)) {
    return Failure(
        "--wizard opens the wizard on the whole capture, where the area and the outputs are "
        "chosen; it takes no area, --out, --format or --clipboard.");
  }
  if (!c.format.empty() && c.out.empty()) {
    return Failure("--format needs --out FILE to say where to write.");
  }
  if (!c.wizard && !c.clipboard && c.out.empty()) {
    return Failure("Nothing to do: give --out FILE, --clipboard or --wizard." +
                   std::string(kSeeHelp));
  }
  parsed.kind = CommandKind::Capture;
  return parsed;
}

std::string EncodeCaptureCommand(const CaptureCommand& c) {
  std::string text = "capture";
  auto add = [&text](const std::string& word) { text += "\n" + word; };
  if (c.areaGiven) {
    switch (c.area) {
      case CaptureArea::Full:
        add("full");
        break;
      case CaptureArea::Window:
        add("window");
        break;
      case CaptureArea::Monitor:
        add("monitor");
        break;
      case CaptureArea::Rectangle:
        add(RectangleText(c.rectangle));
        break;
    }
  }
  if (c.delayMs > 0) {
    add("--delay");
    add(std::to_string(c.delayMs / 1000) + "." + std::to_string(c.delayMs % 1000 / 100) +
        std::to_string(c.delayMs % 100 / 10) + std::to_string(c.delayMs % 10));
  }
  if (!c.out.empty()) {
    add("--out");
    add(c.out);
  }
  if (!c.format.empty()) {
    add("--format");
    add(c.format);
  }
  if (c.clipboard) add("--clipboard");
  if (c.wizard) add("--wizard");
  return text;
}

ParsedCommand DecodeCaptureCommand(std::string_view encoded) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start <= encoded.size()) {
    size_t end = encoded.find('\n', start);
    if (end == std::string_view::npos) end = encoded.size();
    words.emplace_back(encoded.substr(start, end - start));
    start = end + 1;
  }
  if (words.empty() || words[0] != "capture") return Failure("The request is not a capture.");
  return ParseCommandLine(words);
}

std::string UsageText() {
  return "Usage: vistrel capture [full | window | monitor | X,Y,W,H] [--delay SECONDS]\n"
         "                       [--out FILE] [--format " +
         std::string("bmp|jpg|tif|png|pcx|dcx") +
         "] [--clipboard] [--wizard]\n"
         "       vistrel --help\n"
         "\n"
         "Captures the screen and exits: 0 when done, 1 when the capture or the file\n"
         "failed, 2 for bad arguments (a one-line message says why).\n"
         "\n"
         "  full          the whole desktop (the default)\n"
         "  window        the active window\n"
         "  monitor       the monitor the mouse pointer is on\n"
         "  X,Y,W,H       a rectangle in screen pixels\n"
         "  --delay S     wait S seconds first (a count-down shows, Escape cancels)\n"
         "  --out FILE    write the picture; the format follows --format or the file's\n"
         "                extension; a folder gets the next free automatic name\n"
         "  --format F    the picture format for --out\n"
         "  --clipboard   put the picture on the clipboard\n"
         "  --wizard      open the output wizard on the capture, as Print Screen does\n"
         "\n"
         "When Vistrel is running, the running program takes the capture. The other\n"
         "words (setup, debug) start the program as before.\n";
}

CheckedCommand CheckCaptureCommand(const CaptureCommand& c, const CommandWorld& world) {
  CheckedCommand checked;
  if (c.area == CaptureArea::Rectangle) {
    const Rect& r = c.rectangle;
    const Rect& s = world.screen;
    if (r.left < s.left || r.top < s.top || r.right > s.right || r.bottom > s.bottom) {
      checked.error = "The rectangle " + RectangleText(r) + " reaches outside the screen (" +
                      RectangleText(s) + ").";
      return checked;
    }
  }
  OutputPlan plan;
  if (!c.out.empty()) {
    std::string folder = c.out;
    const bool namesFolder = IsSeparator(folder.back()) || world.isFolder(folder);
    if (namesFolder) {
      while (folder.size() > 3 && IsSeparator(folder.back())) folder.pop_back();
      if (!world.isFolder(folder)) {
        checked.error = "The folder " + Quoted(folder) + " does not exist.";
        return checked;
      }
      plan.extension = c.format.empty() ? "bmp" : c.format;
      plan.file = world.autoFileName(folder, plan.extension);
    } else {
      const size_t slash = folder.find_last_of("\\/");
      if (slash != std::string::npos) {
        folder.erase(slash == 2 && folder[1] == ':' ? slash + 1 : slash);
        if (!folder.empty() && !world.isFolder(folder)) {
          checked.error = "The folder " + Quoted(folder) + " does not exist; nothing was written.";
          return checked;
        }
      }
      const std::string extension = LowerExtension(c.out);
      plan.file = c.out;
      if (extension.empty() && !c.format.empty()) {
        plan.file += "." + c.format;
        plan.extension = c.format;
      } else if (!IsFormat(extension)) {
        checked.error = "The file's extension " + Quoted(extension.empty() ? "" : "." + extension) +
                        " names no picture format (" + FormatList() + "); give --format.";
        return checked;
      } else if (!c.format.empty() && c.format != extension) {
        checked.error =
            "--format " + c.format + " does not match the file's extension \"." + extension + "\".";
        return checked;
      } else {
        plan.extension = extension;
      }
    }
  }
  checked.plan = plan;
  return checked;
}

std::string CommandDoneText(const CaptureCommand& c, const OutputPlan& plan) {
  if (c.wizard) return "The wizard is open on the capture.";
  if (plan.file.empty()) return "The picture is on the clipboard.";
  return plan.file + (c.clipboard ? " (and on the clipboard)" : "");
}

}  // namespace vistrel
