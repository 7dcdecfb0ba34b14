#pragma once
// The command line for scripts: "capture" with its area and options, and
// "--help". Parsing and every check that needs no window live here; the Win32
// side asks the system for the screen and the folders and hands the answers in.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rect.h"

namespace vistrel {

enum class CaptureArea { Full, Window, Monitor, Rectangle };

struct CaptureCommand {
  CaptureArea area = CaptureArea::Full;
  bool areaGiven = false;
  Rect rectangle;      // the given x,y,w,h as left, top, right, bottom
  int delayMs = 0;     // --delay in milliseconds
  std::string out;     // --out as given (the Win32 side makes it absolute)
  std::string format;  // --format, lower case, or empty
  bool clipboard = false;
  bool wizard = false;
};

enum class CommandKind {
  None,     // not ours: the program starts as before ("setup", "debug", nothing...)
  Help,     // --help: print the usage
  Capture,  // a well-formed capture command
  Error     // a capture command or option that is wrong; `error` says why
};

struct ParsedCommand {
  CommandKind kind = CommandKind::None;
  CaptureCommand capture;
  std::string error;
};

// Exit statuses of a command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the capture or the file could not be made
inline constexpr int kExitUsage = 2;   // bad arguments; nothing was captured

// The words of a command line after the program's name, split at blanks with
// double quotes grouping (backslashes before a quote escape it, as Windows
// programs read their arguments).
std::vector<std::string> SplitCommandLine(std::string_view arguments);

ParsedCommand ParseCommandLine(const std::vector<std::string>& words);

// The words that give the same command again (for handing a command to the
// running program), joined by line feeds; and back.
std::string EncodeCaptureCommand(const CaptureCommand& command);
ParsedCommand DecodeCaptureCommand(std::string_view encoded);

std::string UsageText();

// What the checks ask of the system.
struct CommandWorld {
  Rect screen;  // the whole desktop, all monitors
  std::function<bool(const std::string& path)> isFolder;
  // The first free automatic name in a folder for a format's extension.
  std::function<std::string(const std::string& folder, const std::string& extension)> autoFileName;
};

// Where the picture goes and how it is written.
struct OutputPlan {
  std::string file;       // empty: no file
  std::string extension;  // "bmp", "jpg", ...
};

// Checks the command against the screen and the file system. Returns the
// plan, or the one-line message of the first problem found.
struct CheckedCommand {
  std::optional<OutputPlan> plan;
  std::string error;
};
CheckedCommand CheckCaptureCommand(const CaptureCommand& command, const CommandWorld& world);

// The one-line answer a finished command prints: the file written, or that the
// picture is on the clipboard.
std::string CommandDoneText(const CaptureCommand& command, const OutputPlan& plan);

}  // namespace vistrel
