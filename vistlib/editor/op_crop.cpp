#include <algorithm>
#include <climits>

#include "operations.h"

namespace vistlib {

bool CropToSelection(EditDocument& document, vistrel::Rect* kept) {
  WindowTable& table = *document.table;
  vistrel::Rect box{INT_MAX, INT_MAX, 0, 0};
  bool any = false;
  for (int i = 1; i <= table.WindowCount; ++i) {
    if (!table.WindowSelected[i]) continue;
    const vistrel::Rect r = Normalised(table.WindowRects[i]);
    box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
           std::max(box.bottom, r.bottom)};
    any = true;
  }
  if (!any || box.right <= box.left || box.bottom <= box.top) return false;

  // Everything is drawn in the box's own coordinates: what lies outside it
  // never reaches the new image.
  auto moved = [&](const vistrel::Rect& r) {
    return vistrel::Rect{r.left - box.left, r.top - box.top, r.right - box.left,
                         r.bottom - box.top};
  };
  Image work(box.Width(), box.Height(), kWhitePixel);
  for (int i = 1; i <= table.WindowCount; ++i)
    StretchInto(work, moved(table.WindowRects[i]), document.regions[i], false);
  for (int i = table.WindowCount; i >= 1; --i) {
    table.WindowRects[i] = moved(table.WindowRects[i]);
    document.regions[i] = CopyOut(work, table.WindowRects[i], kWhitePixel);
  }
  document.image = Image(box.Width(), box.Height(), kWhitePixel);
  if (kept != nullptr) *kept = box;
  document.Refresh();
  return true;
}

}  // namespace vistlib
