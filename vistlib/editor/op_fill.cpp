#include <algorithm>

#include "operations.h"

namespace vistlib {

void FillSelected(EditDocument& document, uint32_t pixel) {
  for (int i = 1; i <= document.table->WindowCount; ++i) {
    if (!document.table->WindowSelected[i]) continue;
    std::fill(document.regions[i].pixels.begin(), document.regions[i].pixels.end(), pixel);
  }
}

}  // namespace vistlib
