#include "view_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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
  // The zoomed size is the image size x the factor, not rounded step by step.
  EXPECT_EQ(view.zoomedBounds.right, 22737);
}

TEST(ViewModel, ZoomRoundTripsReturnTheExactSizeAndFactor) {
  ViewModel view;
  view.Reset(1920, 1080);
  // Step by step the displayed size is the image size x the factor; a side
  // that came down to 2 pixels grows again.
  for (int i = 1; i <= 30; ++i) {
    ASSERT_EQ(view.ZoomBy(0.8), ZoomOutcome::Zoomed);
    ASSERT_EQ(view.zoomedBounds.right, std::max(1, RoundEven(1920 * view.zoomFactor))) << i;
    ASSERT_EQ(view.zoomedBounds.bottom, std::max(1, RoundEven(1080 * view.zoomFactor))) << i;
  }
  EXPECT_EQ(view.zoomedBounds, (vistrel::Rect{0, 0, 2, 1}));
  for (int i = 1; i <= 30; ++i) ASSERT_EQ(view.ZoomBy(1.25), ZoomOutcome::Zoomed);
  EXPECT_EQ(view.zoomFactor, 1.0);
  EXPECT_EQ(view.zoomedBounds, (vistrel::Rect{0, 0, 1920, 1080}));
  EXPECT_EQ(view.ZoomText(), "Zoom: 100%");

  // From an exact zoom, in and out again: the exact zoom's size.
  ASSERT_EQ(view.ZoomTo(60), ZoomOutcome::Zoomed);
  for (int i = 0; i < 7; ++i) view.ZoomBy(1.25);
  EXPECT_EQ(view.ZoomText(), "Zoom: 286%");
  for (int i = 0; i < 7; ++i) view.ZoomBy(0.8);
  EXPECT_EQ(view.zoomFactor, 0.6);
  EXPECT_EQ(view.zoomedBounds, (vistrel::Rect{0, 0, 1152, 648}));
  EXPECT_EQ(view.ZoomText(), "Zoom: 60%");

  // The limit still counts from the exact zoom: 2000 % x 1.25^1 = 25, x 1.25^2 passes.
  ASSERT_EQ(view.ZoomTo(2000), ZoomOutcome::Zoomed);
  EXPECT_EQ(view.ZoomBy(1.25), ZoomOutcome::Zoomed);
  EXPECT_EQ(view.ZoomBy(1.25), ZoomOutcome::TooFar);
  EXPECT_EQ(view.zoomedBounds.right, 48000);
}

// Renders the whole zoomed view of a `width` x `height` image that is 1 inside
// `marked` and 0 elsewhere.
std::vector<uint32_t> RenderMarked(const ViewModel& view, int width, int height,
                                   const vistrel::Rect& marked) {
  std::vector<uint32_t> image(static_cast<size_t>(width) * height);
  for (int y = marked.top; y < marked.bottom; ++y)
    for (int x = marked.left; x < marked.right; ++x) image[static_cast<size_t>(y) * width + x] = 1;
  const int w = view.zoomedBounds.right, h = view.zoomedBounds.bottom;
  std::vector<uint32_t> shown(static_cast<size_t>(w) * h, 7);
  view.Render(image.data(), 0, 0, w, h, shown.data());
  return shown;
}

TEST(ViewModel, TheDrawnPictureMeetsTheOutlineOfItsPixels) {
  // The rubber band and the outlines cover view pixels ToView(left) up to
  // ToView(right); the picture drawn after a fill of that rectangle must show
  // the filled pixels in exactly that place, at any zoom.
  const int width = 97, height = 61;
  const vistrel::Rect marked{13, 7, 58, 40};
  for (const double zoom : {1.0, 1.25, 1.953125, 0.8, 0.512, 0.6, 3.0517578125, 9.0, 0.25}) {
    ViewModel view;
    view.Reset(width, height);
    if (zoom != 1.0) {
      ASSERT_EQ(view.ZoomBy(zoom), ZoomOutcome::Zoomed);
    }
    const std::vector<uint32_t> shown = RenderMarked(view, width, height, marked);
    const int w = view.zoomedBounds.right, h = view.zoomedBounds.bottom;
    int wrong = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool inBand = view.ToView(marked.left) <= x && x < view.ToView(marked.right) &&
                            view.ToView(marked.top) <= y && y < view.ToView(marked.bottom);
        wrong += shown[static_cast<size_t>(y) * w + x] != (inBand ? 1u : 0u);
      }
    }
    EXPECT_EQ(wrong, 0) << "zoom " << zoom;
    // Every image pixel that gets view pixels gets them where ToView puts it.
    for (int i = 0; i < width; ++i) {
      for (int d = view.ToView(i); d < view.ToView(i + 1); ++d) {
        ASSERT_EQ(view.ImagePixelAt(d, width), i) << "zoom " << zoom << " pixel " << i;
      }
    }
  }
}

TEST(ViewModel, RenderingAPartOfTheViewMatchesTheWhole) {
  const int width = 40, height = 30;
  std::vector<uint32_t> image(width * height);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint32_t>(i);
  ViewModel view;
  view.Reset(width, height);
  for (int i = 0; i < 3; ++i) view.ZoomBy(1.25);
  const int w = view.zoomedBounds.right, h = view.zoomedBounds.bottom;
  ASSERT_EQ(w, 78);  // 40 x 1.953125
  std::vector<uint32_t> whole(static_cast<size_t>(w) * h), part(20 * 10);
  view.Render(image.data(), 0, 0, w, h, whole.data());
  view.Render(image.data(), 31, 17, 20, 10, part.data());
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      ASSERT_EQ(part[y * 20 + x], whole[(17 + y) * w + 31 + x]) << x << "," << y;
    }
  }
  EXPECT_EQ(whole.front(), 0u);
  EXPECT_EQ(whole.back(), image.back());
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
  } cases[] = {{"abc", ZoomOutcome::Invalid},
               {"0", ZoomOutcome::Invalid},
               {"-5", ZoomOutcome::Invalid},
               {"12.5", ZoomOutcome::Invalid},
               {"", ZoomOutcome::Invalid},
               {"2841", ZoomOutcome::TooFar},
               {"99999999999999", ZoomOutcome::TooFar},
               {"2840", ZoomOutcome::Zoomed},
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
  EXPECT_EQ(wide.maximum, 71);   // (2000 - 600 + 16) / 20 = 70.8
  EXPECT_EQ(wide.position, 35);  // (1000 - 300) / 20
  EXPECT_EQ(wide.offset, -700);
  // Near the ends the range stops it.
  EXPECT_EQ(PlaceAxis(600, 16, 2000, 10).position, 0);
  EXPECT_EQ(PlaceAxis(600, 16, 2000, 1990).position, 71);
}

TEST(ViewModel, OpensAtThePointersMonitor) {
  // Two monitors side by side, 1280 and 1920 wide, in a 3200-pixel capture;
  // the image point each places in the panel's middle.
  struct Case {
    const char* what;
    int panel, start, length;
    double zoom, wanted;
  };
  const Case cases[] = {
      {"a monitor wider than the panel starts at its left edge", 600, 1280, 1920, 1.0, 1580},
      {"the first monitor starts at the capture's edge", 600, 0, 1280, 1.0, 300},
      {"a monitor that fits is centred", 2000, 1280, 1920, 1.0, 2240},
      {"zoomed out, the monitor's middle in zoomed pixels", 1000, 1280, 1920, 0.5, 1120},
      {"zoomed in, its start in zoomed pixels", 600, 1280, 1920, 2.0, 2860},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(MonitorInView(c.panel, c.start, c.length, c.zoom), c.wanted) << c.what;
  }
  // Placed, the second monitor's left edge stands at the panel's left edge.
  const AxisPlacement at = PlaceAxis(600, 16, 3200, MonitorInView(600, 1280, 1920, 1.0));
  EXPECT_EQ(at.offset, -1280);
}

}  // namespace
}  // namespace vistlib
