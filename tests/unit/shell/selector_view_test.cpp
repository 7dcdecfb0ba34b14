#include "selector_view.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

// A 1024 x 768 capture at 15 twips per pixel in a 600 x 400 pixel view.
SelectorGeometry Geometry() {
  SelectorGeometry g;
  g.viewWidthTwips = 600 * 15;
  g.viewHeightTwips = 400 * 15;
  g.captureWidthTwips = 1024 * 15;
  g.captureHeightTwips = 768 * 15;
  return g;
}

TEST(SelectorView, ZoomTextAndZoomOutLimit) {
  EXPECT_EQ(ZoomPercent("abc"), 0);
  EXPECT_EQ(ZoomPercent("200"), 200);
  EXPECT_EQ(ZoomPercent(" 150 %"), 150);
  SelectorGeometry g = Geometry();
  EXPECT_TRUE(ZoomFillsView(g, 1.0));
  EXPECT_TRUE(ZoomFillsView(g, 0.6));   // 614 x 460 still covers 600 x 400
  EXPECT_FALSE(ZoomFillsView(g, 0.5));  // 512 wide: too narrow
  g.viewHeightTwips = 700 * 15;
  EXPECT_FALSE(ZoomFillsView(g, 0.75));  // 576 high: too low, width alone would fit
}

TEST(SelectorView, StretchCopyAndScrollRanges) {
  SelectorGeometry g = Geometry();
  StretchCopy copy = ComputeStretch(g, 2.0, {-100, -30});
  EXPECT_EQ(copy, (StretchCopy{600, 400, 100, 30, 300, 200}));
  copy = ComputeStretch(g, 1.0, {});
  EXPECT_EQ(copy, (StretchCopy{600, 400, 0, 0, 600, 400}));

  // At 200 % the view shows 300 x 200 capture pixels: 724 and 568 left to scroll.
  EXPECT_EQ(HorizontalRange(g, 2.0), (ScrollRange{-724, 145, 14}));
  EXPECT_EQ(VerticalRange(g, 2.0), (ScrollRange{-568, 114, 11}));
  // A view the capture just fills cannot scroll; the changes stay at least 1.
  g.viewWidthTwips = g.captureWidthTwips;
  EXPECT_EQ(HorizontalRange(g, 1.0), (ScrollRange{0, 1, 1}));
  // Wider than the capture never gives a positive maximum.
  g.viewWidthTwips = g.captureWidthTwips + 300;
  EXPECT_EQ(HorizontalRange(g, 1.0).max, 0);
}

TEST(SelectorView, DrawnRectangleAt200PercentScrolledRight) {
  SelectorGeometry g = Geometry();
  SelectionDrag drag;
  drag.Press(400, 300);
  drag.Move(1000, 700);
  EXPECT_EQ(drag.Outline(), (ShapeRect{400, 300, 600, 400}));
  ShapeRect crop = drag.Release(g, 2.0, {-100, 0});
  EXPECT_EQ(crop, (ShapeRect{200 + 100 * 15, 150, 300, 200}));
  EXPECT_FALSE(drag.Dragging());
  EXPECT_EQ(ToTwipsRect({10.5, 11.5, 2.5, 0.4}), (TwipsRect{10, 12, 2, 0}));
}

TEST(SelectorView, DraggingUpAndLeftMovesTheCorner) {
  SelectionDrag drag;
  drag.Move(5, 5);  // no press yet: ignored
  EXPECT_EQ(drag.Outline(), ShapeRect{});
  drag.Press(500, 500);
  drag.Move(300, 450);
  EXPECT_EQ(drag.Outline(), (ShapeRect{300, 450, 200, 50}));
  drag.Move(250, 600);  // further left, now below the top
  EXPECT_EQ(drag.Outline(), (ShapeRect{250, 450, 250, 150}));
  // A click without movement leaves a zero-size selection.
  drag.Press(70, 80);
  EXPECT_EQ(drag.Release(Geometry(), 1.0, {}), (ShapeRect{70, 80, 0, 0}));
}

TEST(SelectorView, OutlineForEachCropStyle) {
  FullScreenTwips = {0, 0, 1024 * 15, 768 * 15};
  ActiveWindowTwips = {1500, 3000, 6000, 4500};
  SelectionTwips = {300, 600, 900, 1200};
  SelectorGeometry g = Geometry();
  // Full screen: not scaled, not scrolled.
  EXPECT_EQ(ShapeForCropStyle(1, g, 2.0, {-10, -10}), (ShapeRect{0, 0, 1024 * 15, 768 * 15}));
  // Active window at 200 %, scrolled 10 pixels right and 20 down.
  EXPECT_EQ(ShapeForCropStyle(0, g, 2.0, {-10, -20}),
            (ShapeRect{3000 - 300, 6000 - 600, 12000, 9000}));
  EXPECT_EQ(ShapeForCropStyle(2, g, 0.5, {}), (ShapeRect{150, 300, 450, 600}));
  // The drawn rectangle comes back where it was drawn.
  SelectionDrag drag;
  drag.Press(150, 300);
  drag.Move(600, 900);
  EXPECT_EQ(ToTwipsRect(drag.Release(g, 0.5, {})), SelectionTwips);
  FullScreenTwips = ActiveWindowTwips = SelectionTwips = {};
}

}  // namespace
}  // namespace vistrel
