#include "edit_document.h"

#include <gtest/gtest.h>

namespace vistlib {
namespace {

// A 100x80 screen: desktop, window A (10..50) with a child control, window B.
struct Fixture {
  WindowTable table;
  EditDocument doc{table};
  Fixture() {
    table.Reset();
    Add({0, 0, 100, 80}, 1);
    Add({10, 10, 50, 50}, 2);
    Add({20, 20, 30, 30}, 3);
    Add({40, 40, 90, 70}, 4);
    doc.image = Image(100, 80);
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 100; ++x) doc.image.At(x, y) = static_cast<uint32_t>(y * 100 + x);
    doc.SaveRegions();
  }
  void Add(vistrel::Rect r, uintptr_t handle) {
    ++table.WindowCount;
    table.WindowRects[table.WindowCount] = r;
    table.WindowHandles[table.WindowCount] = handle;
  }
  std::vector<int> Selected() const {
    std::vector<int> out;
    for (int i = 1; i <= table.WindowCount; ++i)
      if (table.WindowSelected[i]) out.push_back(i);
    return out;
  }
};

TEST(EditDocument, HitTestTakesTopMostAndEdgesInclusive) {
  Fixture f;
  EXPECT_EQ(f.doc.HitTest(25, 25, 1), 3);   // the child wins over its parent
  EXPECT_EQ(f.doc.HitTest(45, 45, 1), 4);   // B lies above A
  EXPECT_EQ(f.doc.HitTest(50, 15, 1), 2);   // right edge of A
  EXPECT_EQ(f.doc.HitTest(15, 50, 1), 2);   // bottom edge of A
  EXPECT_EQ(f.doc.HitTest(100, 20, 2), 2);  // zoomed 2x: (50, 10) is A's edge
  EXPECT_EQ(f.doc.HitTest(201, 10, 2), 0);  // right of everything
}

TEST(EditDocument, SelectorClicksWithAndWithoutMultiSelect) {
  Fixture f;
  f.doc.Hover(15, 15, 1);
  f.doc.SelectorClick(false);
  f.doc.Hover(60, 60, 1);
  f.doc.SelectorClick(false);
  EXPECT_EQ(f.Selected(), std::vector<int>{4});
  f.doc.Hover(15, 15, 1);
  f.doc.SelectorClick(true);
  EXPECT_EQ(f.Selected(), (std::vector<int>{2, 4}));
  f.doc.SelectorClick(true);  // the same window again: off
  EXPECT_EQ(f.Selected(), std::vector<int>{4});
  // Selected entries show inverted, the others plainly.
  EXPECT_EQ(f.doc.image.At(60, 60), (60u * 100 + 60) ^ 0xFFFFFF);
  EXPECT_EQ(f.doc.image.At(15, 15), 15u * 100 + 15);
  // The outline went away over another control: a click still toggles the
  // last outlined window (A) and, without multi-selection, clears B.
  f.doc.RemoveHover();
  f.doc.SelectorClick(false);
  EXPECT_EQ(f.Selected(), std::vector<int>{2});
}

TEST(EditDocument, FullScreenAndActiveWindowToggle) {
  Fixture f;
  f.table.WindowSelected[2] = 1;
  f.doc.ToggleAll();
  EXPECT_EQ(f.Selected(), (std::vector<int>{1, 3, 4}));
  f.doc.ToggleAll();
  EXPECT_EQ(f.Selected(), std::vector<int>{2});
  f.doc.ToggleActiveWindow(4, false);
  EXPECT_EQ(f.Selected(), std::vector<int>{4});
  f.doc.ToggleActiveWindow(4, false);
  EXPECT_EQ(f.Selected(), std::vector<int>{});
  f.table.WindowSelected[1] = 1;
  f.doc.ToggleActiveWindow(4, true);
  EXPECT_EQ(f.Selected(), (std::vector<int>{1, 4}));
  f.doc.UnselectAll();
  EXPECT_EQ(f.Selected(), std::vector<int>{});
}

TEST(EditDocument, ManualDragToUpperLeft) {
  Fixture f;
  SizeScale scale = ParseSizeScale("1", "1", "Pixel");
  ASSERT_TRUE(f.doc.BeginManual(120, 100, 2.0));  // image point (60, 50)
  EXPECT_EQ(f.table.WindowCount, 5);
  f.doc.DragManual(40, 20, 2.0);  // (20, 10)
  EXPECT_EQ(ManualSizeText(f.doc.manualRect, scale), "-40x-40 Pixel");
  f.doc.EndManual();
  EXPECT_EQ(f.table.WindowRects[5], (vistrel::Rect{20, 10, 60, 50}));
  EXPECT_EQ(f.Selected(), std::vector<int>{5});
  EXPECT_EQ(f.doc.image.At(20, 10), (10u * 100 + 20) ^ 0xFFFFFF);
  EXPECT_EQ(f.doc.image.At(59, 49), (49u * 100 + 59) ^ 0xFFFFFF);
  EXPECT_EQ(f.doc.image.At(60, 50), 50u * 100 + 60);
  // A second drag replaces the first; the window selector drops it.
  ASSERT_TRUE(f.doc.BeginManual(0, 0, 1));
  f.doc.DragManual(5, 5, 1);
  f.doc.EndManual();
  EXPECT_EQ(f.table.WindowCount, 5);
  EXPECT_EQ(f.doc.image.At(20, 10), 10u * 100 + 20);
  f.doc.DropManual();
  EXPECT_EQ(f.table.WindowCount, 4);
  EXPECT_EQ(f.table.ManualIndex, -1);
  EXPECT_EQ(f.doc.image.At(0, 0), 0u);
}

TEST(EditDocument, ManualDragRefusedWhenTableFull) {
  Fixture f;
  while (f.table.WindowCount < MaxWindows) f.Add({0, 0, 1, 1}, 9);
  EXPECT_FALSE(f.doc.BeginManual(10, 10, 1));
  EXPECT_EQ(f.table.WindowCount, MaxWindows);
  EXPECT_EQ(f.table.ManualIndex, -1);
}

TEST(EditDocument, CloseLeavesNoMarks) {
  Fixture f;
  const Image plain = f.doc.image;
  f.doc.ToggleAll();
  f.doc.Hover(25, 25, 1);
  f.doc.ClearForClose();
  EXPECT_EQ(f.doc.image, plain);
  EXPECT_EQ(f.table.HoverIndex, -1);
}

TEST(EditDocument, ScaleTexts) {
  vistrel::Rect r{0, 0, 320, 200};
  EXPECT_EQ(ManualSizeText(r, ParseSizeScale("1", "1", "Pixel")), "320x200 Pixel");
  EXPECT_EQ(ManualSizeText(r, ParseSizeScale("567", "15", "Centimeter")), "8x5 Centimeter");
  for (auto bad : {ParseSizeScale("0", "15", "Inch"), ParseSizeScale("abc", "15", "Inch"),
                   ParseSizeScale("1440", "15.5", "Inch"), ParseSizeScale(nullptr, "1", "x")}) {
    EXPECT_EQ(bad.divisor, 1);
    EXPECT_EQ(bad.multiplier, 1);
    EXPECT_EQ(bad.unit, "Pixel");
  }
}

}  // namespace
}  // namespace vistlib
