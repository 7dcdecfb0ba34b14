#pragma once
// A rectangle in twips (1/1440 inch): left, top, width, height. The capture
// geometry the shell keeps and the wizard's crop rectangle use it.
#include <cstdint>

namespace vistrel {

struct TwipsRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const TwipsRect&) const = default;
};

}  // namespace vistrel
