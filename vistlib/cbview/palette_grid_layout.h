#pragma once
// The palette grid's arithmetic: its copy of the palette, the columns and rows
// that fit the width, and which entry a cell shows.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vistlib::cbview {

inline constexpr int kCellSize = 20;
inline constexpr int kMaxEntries = 256;

struct PaletteColor {
  uint8_t red = 128, green = 128, blue = 128;
  bool operator==(const PaletteColor&) const = default;
};

struct GridLayout {
  int columns = 1;
  int rows = 1;
  int height = kCellSize;  // the rows' height in pixels
  bool operator==(const GridLayout&) const = default;
};

// Columns = (client width - scroll bar width) / 20, at least one, so that a
// narrow grid still shows its entries one under another; rows = entries /
// columns rounded up, at least one.
GridLayout LayoutGrid(int clientWidth, int scrollBarWidth, int entries);

class PaletteGridModel {
 public:
  // A private copy: at most 256 entries; the slots after them are grey.
  void Take(const std::vector<PaletteColor>& entries);
  int Count() const { return count_; }
  const PaletteColor& Slot(int index) const { return slots_[static_cast<size_t>(index)]; }

  void Layout(int clientWidth, int scrollBarWidth);
  const GridLayout& Current() const { return layout_; }

  // The entry shown in the cell at (column, row), or none beyond the last
  // entry or outside the columns.
  std::optional<int> EntryAt(int column, int row) const;

 private:
  std::array<PaletteColor, kMaxEntries> slots_{};
  int count_ = 0;
  GridLayout layout_;
  int lastWidth_ = 0, lastScrollBar_ = 0;
};

}  // namespace vistlib::cbview
