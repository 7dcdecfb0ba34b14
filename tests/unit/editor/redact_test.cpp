#include <gtest/gtest.h>

#include <set>

#include "operations.h"

namespace vistlib {
namespace {

// A desktop, a window and a control above it, over pixels made from `seed`;
// a second, larger copy of the control's pixels stretched into its place.
struct Scene {
  WindowTable table;
  EditDocument doc{table};
  explicit Scene(uint32_t seed) {
    table.Reset();
    table.WindowRects[1] = {0, 0, 200, 100};
    table.WindowRects[2] = {20, 10, 150, 90};
    table.WindowRects[3] = {40, 30, 100, 50};
    table.WindowRects[4] = {110, 5, 130, 25};  // drawn twice as large as its place
    table.WindowCount = 4;
    doc.image = Image(200, 100);
    for (uint32_t& pixel : doc.image.pixels) pixel = (seed = seed * 1664525u + 1013904223u) >> 8;
    doc.SaveRegions();
    doc.regions[4] = Image(40, 40, seed & 0xFFFFFF);
    doc.Redraw();
  }
};

TEST(Redact, TheResultDependsOnlyOnTheAreaAndStyleInEveryRegionAndTheImage) {
  for (RedactStyle style : {RedactStyle::BlackBox, RedactStyle::FillColour, RedactStyle::Mosaic}) {
    SCOPED_TRACE(static_cast<int>(style));
    Scene a(1), b(2);
    const Image untouchedA = a.doc.image;
    for (Scene* s : {&a, &b}) {
      s->table.WindowSelected[2] = 1;  // the window, its control above it included
      RedactSelected(s->doc, style, 0x00FF00);
      s->doc.Refresh();
    }
    // No region keeps a pixel of the area that could come back by a later
    // redraw, crop or frame: all of them match between the two scenes.
    const vistrel::Rect area = a.table.WindowRects[2];
    for (int j = 1; j <= 4; ++j) {
      const vistrel::Rect r = a.table.WindowRects[j];
      const Image& ra = a.doc.regions[j];
      const Image& rb = b.doc.regions[j];
      int differing = 0;
      for (int y = 0; y < ra.height; ++y)
        for (int x = 0; x < ra.width; ++x) {
          const int ix = r.left + x * r.Width() / ra.width, iy = r.top + y * r.Height() / ra.height;
          const bool behind =
              ix >= area.left && ix < area.right && iy >= area.top && iy < area.bottom;
          differing += behind && ra.At(x, y) != rb.At(x, y);
        }
      EXPECT_EQ(differing, 0) << "region " << j;
    }
    std::set<uint32_t> colours;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) {
        const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
        if (inside) {
          ASSERT_EQ(a.doc.image.At(x, y), b.doc.image.At(x, y)) << x << "," << y;
          colours.insert(a.doc.image.At(x, y));
        } else {
          ASSERT_EQ(a.doc.image.At(x, y), untouchedA.At(x, y)) << x << "," << y;
        }
      }
    const size_t expectedColours = style == RedactStyle::Mosaic ? 4 : 1;
    EXPECT_GE(colours.size(), expectedColours);
    if (style == RedactStyle::Mosaic) {
      EXPECT_EQ(colours.count(0), 0u);
    } else {
      EXPECT_EQ(*colours.begin(), style == RedactStyle::BlackBox ? 0u : 0x00FF00u);
      EXPECT_EQ(colours.size(), 1u);
    }
    // A crop afterwards brings nothing back.
    a.table.WindowSelected[1] = b.table.WindowSelected[1] = 1;
    ASSERT_TRUE(CropToSelection(a.doc));
    ASSERT_TRUE(CropToSelection(b.doc));
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        ASSERT_EQ(a.doc.image.At(x, y), b.doc.image.At(x, y)) << x << "," << y;
  }
}

}  // namespace
}  // namespace vistlib
