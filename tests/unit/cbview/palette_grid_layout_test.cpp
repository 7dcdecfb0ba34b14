#include "palette_grid_layout.h"

#include <gtest/gtest.h>

namespace vistlib::cbview {
namespace {

TEST(LayoutGrid, ColumnsRowsAndHeight) {
  struct Case {
    int width, scrollBar, entries;
    GridLayout expected;
  };
  const Case cases[] = {
      {200, 16, 16, {9, 2, 40}},     // 184 / 20 = 9 columns
      {200, 16, 18, {9, 2, 40}},     // exactly two rows
      {200, 16, 19, {9, 3, 60}},
      {336, 16, 256, {16, 16, 320}},
      {200, 16, 0, {9, 1, 20}},      // no entries still one row
      {30, 16, 16, {1, 16, 320}},    // narrower than a cell: one column
      {0, 16, 5, {1, 5, 100}},       // no width at all never divides by zero
  };
  for (const Case& c : cases)
    EXPECT_EQ(LayoutGrid(c.width, c.scrollBar, c.entries), c.expected)
        << c.width << " " << c.entries;
}

TEST(PaletteGridModel, KeepsACopyAndGreysTheRest) {
  PaletteGridModel model;
  std::vector<PaletteColor> entries(300, PaletteColor{1, 2, 3});
  model.Take(entries);
  EXPECT_EQ(model.Count(), 256);

  model.Take({{255, 0, 0}, {0, 255, 0}});
  EXPECT_EQ(model.Count(), 2);
  EXPECT_EQ(model.Slot(1), (PaletteColor{0, 255, 0}));
  EXPECT_EQ(model.Slot(2), (PaletteColor{128, 128, 128}));
  EXPECT_EQ(model.Slot(255), (PaletteColor{128, 128, 128}));
}

TEST(PaletteGridModel, CellsMapToEntriesRowByRow) {
  PaletteGridModel model;
  model.Take(std::vector<PaletteColor>(16));
  model.Layout(200, 16);
  EXPECT_EQ(model.EntryAt(0, 0), 0);
  EXPECT_EQ(model.EntryAt(8, 0), 8);
  EXPECT_EQ(model.EntryAt(0, 1), 9);
  EXPECT_EQ(model.EntryAt(6, 1), 15);
  // Beyond the last entry and outside the columns there is nothing.
  EXPECT_EQ(model.EntryAt(7, 1), std::nullopt);
  EXPECT_EQ(model.EntryAt(9, 0), std::nullopt);
  EXPECT_EQ(model.EntryAt(0, 2), std::nullopt);
  // A new palette keeps the width the grid had.
  model.Take(std::vector<PaletteColor>(256));
  EXPECT_EQ(model.Current(), (GridLayout{9, 29, 580}));
}

}  // namespace
}  // namespace vistlib::cbview
