#include "edit_history.h"

#include <gtest/gtest.h>

#include "operations.h"

namespace vistlib {
namespace {

struct Snapshot {
  Image image;
  std::array<Image, kTableSlots> regions;
  std::array<vistrel::Rect, kTableSlots> rects;
  std::array<uint8_t, kTableSlots> selected;
  int count, manual;
  std::vector<Mark> marks;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const EditDocument& d) {
  return {d.image,
          d.regions,
          d.table->WindowRects,
          d.table->WindowSelected,
          d.table->WindowCount,
          d.table->ManualIndex,
          d.marks};
}

TEST(EditHistory, UndoWalksBackThroughEveryKindOfEditAndRedoForward) {
  WindowTable table;
  table.Reset();
  table.WindowRects[1] = {0, 0, 160, 120};
  table.WindowRects[2] = {20, 10, 90, 70};
  table.WindowRects[3] = {60, 50, 140, 110};
  table.WindowCount = 3;
  EditDocument doc(table);
  doc.image = Image(160, 120);
  uint32_t seed = 7;
  for (uint32_t& pixel : doc.image.pixels) pixel = (seed = seed * 1664525u + 1013904223u) >> 8;
  doc.SaveRegions();
  EditHistory history;
  std::vector<Snapshot> before, after;
  auto edit = [&](bool pixels, auto body) {
    before.push_back(Take(doc));
    history.Begin(doc, pixels);
    body();
    history.Commit(doc);
    after.push_back(Take(doc));
  };
  auto select = [&](int i) {
    table.WindowSelected[i] = 1;
    doc.Redraw();
  };
  select(2);
  edit(true, [&] {
    FillSelected(doc, 0x00FF00);
    doc.Refresh();
  });
  select(3);  // a selection alone is no step; undo brings back the one its edit found
  edit(true, [&] { ApplyBorder(doc, 5, 0xFF0000); });
  select(2);
  edit(true, [&] {
    RedactSelected(doc, RedactStyle::Mosaic, 0);
    doc.Refresh();
  });
  edit(false, [&] {
    Mark arrow;
    arrow.kind = MarkKind::Arrow;
    arrow.b = {50, 60};
    doc.marks.push_back(arrow);
  });
  edit(false, [&] { MoveMark(doc.marks[0], 3, 4); });
  select(3);
  edit(true, [&] { ASSERT_TRUE(CropToSelection(doc)); });  // every picture changes size
  edit(true, [&] {
    ASSERT_TRUE(doc.BeginManual(5, 5, 1));
    doc.DragManual(30, 40, 1);
    doc.EndManual();
  });
  history.Begin(doc, true);
  history.Commit(doc);  // nothing changed: no step

  ASSERT_EQ(history.UndoSteps(), before.size());
  for (size_t i = before.size(); i-- > 0;) {
    ASSERT_TRUE(history.Undo(doc));
    EXPECT_TRUE(Take(doc) == before[i]) << "after undoing step " << i;
  }
  EXPECT_FALSE(history.Undo(doc));
  // Redo returns to the state each undo left, selections made after the
  // edit included.
  for (size_t i = 0; i < after.size(); ++i) {
    ASSERT_TRUE(history.Redo(doc));
    EXPECT_TRUE(Take(doc) == (i + 1 < before.size() ? before[i + 1] : after[i]))
        << "after redoing step " << i;
  }
  EXPECT_FALSE(history.Redo(doc));
  // A new edit after an undo drops what could be redone.
  history.Undo(doc);
  edit(false, [&] { doc.marks.clear(); });
  EXPECT_FALSE(history.CanRedo());
}

TEST(EditHistory, SixtyFillsStayUndoableWithinTheBound) {
  WindowTable table;
  table.Reset();
  table.WindowRects[1] = {0, 0, 640, 400};
  table.WindowRects[2] = {100, 100, 540, 300};
  table.WindowCount = 2;
  EditDocument doc(table);
  doc.image = Image(640, 400);
  uint32_t seed = 3;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 640; ++x) {
      seed = seed * 1664525u + 1013904223u;
      doc.image.At(x, y) =
          (x / 240 + y / 180) % 3 ? 0xF0F0F0 : ((seed >> 28) ? 0x3060A0 : 0x202020);
    }
  doc.SaveRegions();
  const auto start = doc.regions;
  EditHistory history;
  for (int step = 0; step < 60; ++step) {
    table.WindowSelected[1 + step % 2] = 1;
    history.Begin(doc, true);
    FillSelected(doc, 0x010101u * static_cast<uint32_t>(step));
    doc.Refresh();
    history.Commit(doc);
  }
  EXPECT_EQ(history.UndoSteps(), 60u);
  EXPECT_LT(history.KeptBytes(), kHistoryBytes / 16) << history.KeptBytes();
  while (history.Undo(doc)) {
  }
  EXPECT_TRUE(doc.regions == start);

  // Past the byte bound the oldest steps go, and the rest still undo.
  EditHistory small(200 * 1024);
  for (int step = 0; step < 20; ++step) {
    table.WindowSelected[1] = 1;
    small.Begin(doc, true);
    FillSelected(doc, step % 2 ? 0xFFFFFF : 0);
    doc.Refresh();
    small.Commit(doc);
  }
  EXPECT_LT(small.UndoSteps(), 20u);
  EXPECT_GE(small.UndoSteps(), 1u);
  EXPECT_LE(small.KeptBytes(), 200u * 1024);
}

}  // namespace
}  // namespace vistlib
