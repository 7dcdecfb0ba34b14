#include <algorithm>

#include "operations.h"

namespace vistlib {

void FrameStep(EditDocument& document, int width, uint32_t pixel) {
  WindowTable& table = *document.table;
  for (int i = 1; i <= table.WindowCount; ++i) {
    if (!table.WindowSelected[i]) continue;
    const int d = width - table.WindowBorderState[i];
    Image& region = document.regions[i];
    vistrel::Rect& rect = table.WindowRects[i];
    rect = {rect.left - d, rect.top - d, rect.right + d, rect.bottom + d};
    Image work(region.width + 2 * d, region.height + 2 * d, pixel);
    // Growing keeps the pixels in the middle; shrinking cuts the old frame off.
    const int shift = d >= 0 ? d : 0;
    const int skip = d >= 0 ? 0 : -d;
    for (int y = 0; y + skip < region.height && y + shift < work.height; ++y)
      for (int x = 0; x + skip < region.width && x + shift < work.width; ++x)
        work.At(x + shift, y + shift) = region.At(x + skip, y + skip);
    region = std::move(work);
    table.WindowBorderState[i] = width;
  }
}

void ApplyBorder(EditDocument& document, int width, uint32_t pixel) {
  FrameStep(document, 0, pixel);
  FrameStep(document, width, pixel);
  document.Refresh();
}

}  // namespace vistlib
