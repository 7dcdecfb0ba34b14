#include "palette_grid_layout.h"

#include <algorithm>

namespace vistlib::cbview {

GridLayout LayoutGrid(int clientWidth, int scrollBarWidth, int entries) {
  GridLayout layout;
  layout.columns = std::max(1, (clientWidth - scrollBarWidth) / kCellSize);
  layout.rows = std::max(1, (std::max(entries, 0) + layout.columns - 1) / layout.columns);
  layout.height = layout.rows * kCellSize;
  return layout;
}

void PaletteGridModel::Take(const std::vector<PaletteColor>& entries) {
  count_ = static_cast<int>(std::min<size_t>(entries.size(), kMaxEntries));
  slots_.fill(PaletteColor{});
  std::copy_n(entries.begin(), count_, slots_.begin());
  Layout(lastWidth_, lastScrollBar_);
}

void PaletteGridModel::Layout(int clientWidth, int scrollBarWidth) {
  lastWidth_ = clientWidth;
  lastScrollBar_ = scrollBarWidth;
  layout_ = LayoutGrid(clientWidth, scrollBarWidth, count_);
}

std::optional<int> PaletteGridModel::EntryAt(int column, int row) const {
  if (column < 0 || row < 0 || column >= layout_.columns) return std::nullopt;
  const long entry = static_cast<long>(row) * layout_.columns + column;
  if (entry >= count_) return std::nullopt;
  return static_cast<int>(entry);
}

}  // namespace vistlib::cbview
