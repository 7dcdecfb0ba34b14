#pragma once
// The one-line command the program sends:
//   source=clipboard, dest=<file path>
//   source=clipboard, dest=clipboard[,inv=1 ][,mirror=2 ][,mirror=1 ][,rot=<deg>][,rescale=<w>pix]
// A file path is everything after "dest=", commas and spaces included.
// Numbers use the point as decimal separator; a decimal comma inside a value
// is read as well, where the text after it is digits and not a new option.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tiffdll {

enum class FileFormat { kJpeg, kTiff, kPng, kPcx, kDcx };

struct Command {
  bool toClipboard = false;
  std::string path;        // the destination file, when not the clipboard
  FileFormat format = FileFormat::kPng;
  bool invert = false;
  bool mirrorLeftRight = false;  // mirror=1
  bool mirrorTopBottom = false;  // mirror=2
  double angle = 0;              // degrees clockwise, as sent
  std::optional<double> width;   // rescale target width in pixels, as sent
};

struct ParsedCommand {
  std::optional<Command> command;
  int32_t error = 0;  // a Result when command is empty
};

ParsedCommand ParseCommand(std::string_view text);

// The format named by the path's extension, matched without regard to case.
std::optional<FileFormat> FormatFromPath(std::string_view path);

}  // namespace tiffdll
