#pragma once
// Text of marks through the system's font rasteriser, anti-aliased.
#include <windows.h>

#include <map>

#include "marks.h"

namespace vistlib {

class MarkTextWin {
 public:
  MarkTextWin() = default;
  ~MarkTextWin();
  MarkTextWin(const MarkTextWin&) = delete;
  MarkTextWin& operator=(const MarkTextWin&) = delete;

  Coverage Render(const std::string& line, int pixelHeight);
  TextRasteriser Rasteriser() {
    return [this](const std::string& line, int height) { return Render(line, height); };
  }

 private:
  HFONT Font(int pixelHeight);
  std::map<int, HFONT> fonts_;
};

}  // namespace vistlib
