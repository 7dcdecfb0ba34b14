#pragma once
// The diagnostic dump of "debug" mode: the numbers behind one copy's
// placement, as the lines of debug.txt (each ends with CR LF).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shell_state.h"

namespace vistrel::print {

inline constexpr char kDumpFileName[] = "debug.txt";

// "debug" (any case) as the whole command line.
bool IsDebugMode(std::string_view arguments);

// The area selector's outline and its twips per pixel (0 before a selection).
using SelectorShape = SelectorOutline;

struct DumpFacts {
  SelectorShape shape;
  double printerTwipsPerPixelX = 0;
  double printerTwipsPerPixelY = 0;
  double screenTwipsPerPixelX = 0;
  double screenTwipsPerPixelY = 0;
  double scaleWidth = 0;  // the printable area, twips
  double scaleHeight = 0;
  uint64_t printerHdc = 0;
  uint64_t pictureHdc = 0;
  char decimalSeparator = '.';
};

// Block 1 (lines 1 to 7): `previousSa`/`previousSb` are the last copy's size,
// nothing on the first copy.
std::string DumpBlock1(const DumpFacts& facts, std::optional<double> previousSa,
                       std::optional<double> previousSb);

// Block 2 (lines 8 to 29). The quotients of lines 25 to 28 need the scale
// factors: while one is 0 the block stops after line 24 and `complete` is false.
struct Block2 {
  std::string text;
  bool complete = true;
};
Block2 DumpBlock2(const DumpFacts& facts, double sa, double sb, double verhaeltnis);

// Block 3 (line 30).
std::string DumpBlock3();

}  // namespace vistrel::print
