#include "view_model.h"

#include <gtest/gtest.h>

namespace vistlib {
namespace {

TEST(ViewModel, FiveZoomInsAndTheLimit) {
  ViewModel view;
  view.Reset(1000, 800);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(view.ZoomBy(1.25), ZoomOutcome::Zoomed);
  EXPECT_DOUBLE_EQ(view.zoomFactor, 3.0517578125);
  EXPECT_EQ(view.ZoomText(), "Zoom: 305%");
  int accepted = 5;
  while (view.ZoomBy(1.25) == ZoomOutcome::Zoomed) ++accepted;
  // 1.25^15 = 28.42 passes 28.4: the fifteenth click is refused, nothing changes.
  EXPECT_EQ(accepted, 14);
  EXPECT_DOUBLE_EQ(view.zoomFactor, 22.737367544323206);
  EXPECT_LE(view.zoomFactor * 1.25, 28.5);
  // Each step rounds the zoomed size, so it drifts from 1000 x 1.25^14.
  EXPECT_EQ(view.zoomedBounds.right, 22719);
}

TEST(ViewModel, ClickFactorsAndReversal) {
  EXPECT_EQ(ClickZoomFactor(ZoomTool::In, false), 1.25);
  EXPECT_EQ(ClickZoomFactor(ZoomTool::In, true), 0.8);
  EXPECT_EQ(ClickZoomFactor(ZoomTool::Out, false), 0.8);
  EXPECT_EQ(ClickZoomFactor(ZoomTool::Out, true), 1.25);
  EXPECT_EQ(ClickZoomFactor(ZoomTool::None, true), 0);
}

TEST(ViewModel, ExactZoomInputs) {
  struct Case {
    const char* text;
    ZoomOutcome outcome;
  } cases[] = {{"abc", ZoomOutcome::Invalid},    {"0", ZoomOutcome::Invalid},
               {"-5", ZoomOutcome::Invalid},     {"12.5", ZoomOutcome::Invalid},
               {"", ZoomOutcome::Invalid},       {"2841", ZoomOutcome::TooFar},
               {"99999999999999", ZoomOutcome::TooFar}, {"2840", ZoomOutcome::Zoomed},
               {" 200 ", ZoomOutcome::Zoomed}};
  for (const Case& c : cases) {
    ViewModel view;
    view.Reset(100, 50);
    EXPECT_EQ(view.ZoomTo(ParseZoomPercent(c.text)), c.outcome) << c.text;
    if (c.outcome != ZoomOutcome::Zoomed) {
      EXPECT_EQ(view.zoomFactor, 1.0) << c.text;
    }
  }
  ViewModel view;
  view.Reset(100, 50);
  view.ZoomTo(2840);
  EXPECT_EQ(view.zoomedBounds, (vistrel::Rect{0, 0, 2840, 1420}));
  EXPECT_EQ(view.ZoomText(), "Zoom: 2840%");
}

TEST(ViewModel, PlacementOfNarrowAndWideImages) {
  // Narrower than the panel less the other bar: no bar, image at 0.
  AxisPlacement narrow = PlaceAxis(600, 16, 584, 500);
  EXPECT_FALSE(narrow.barShown);
  EXPECT_EQ(narrow.offset, 0);
  // Wider: the clicked point comes to the middle, 20 pixels a step.
  AxisPlacement wide = PlaceAxis(600, 16, 2000, 1000);
  EXPECT_TRUE(wide.barShown);
  EXPECT_EQ(wide.maximum, 71);  // (2000 - 600 + 16) / 20 = 70.8
  EXPECT_EQ(wide.position, 35);  // (1000 - 300) / 20
  EXPECT_EQ(wide.offset, -700);
  // Near the ends the range stops it.
  EXPECT_EQ(PlaceAxis(600, 16, 2000, 10).position, 0);
  EXPECT_EQ(PlaceAxis(600, 16, 2000, 1990).position, 71);
}

}  // namespace
}  // namespace vistlib
