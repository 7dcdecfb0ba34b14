#pragma once
// The arithmetic of the area selector's zoomed and scrolled view of the
// capture. View positions are twips of the view; the scroll values run from
// 0 down to a negative maximum, in capture pixels.
#include <cstdint>
#include <string_view>

#include "shell_state.h"

namespace vistrel {

struct SelectorGeometry {
  double viewWidthTwips = 0;  // the view's inner size
  double viewHeightTwips = 0;
  double captureWidthTwips = 0;
  double captureHeightTwips = 0;
  double twipsPerPixelX = 15;
  double twipsPerPixelY = 15;
};

struct Scroll {
  int h = 0;  // 0 or negative
  int v = 0;
};

struct ShapeRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  bool operator==(const ShapeRect&) const = default;
};

// The zoom box's text as a percentage; 0 when it holds no number.
double ZoomPercent(std::string_view zoomText);

// Whether the capture, zoomed by z, still fills the view.
bool ZoomFillsView(const SelectorGeometry& g, double z);

// The StretchBlt of one redraw, in pixels.
struct StretchCopy {
  int destWidth = 0;
  int destHeight = 0;
  int srcX = 0;
  int srcY = 0;
  int srcWidth = 0;
  int srcHeight = 0;
  bool operator==(const StretchCopy&) const = default;
};
StretchCopy ComputeStretch(const SelectorGeometry& g, double z, Scroll scroll);

// A scroll bar's range: maximum (0 or negative), large and small change.
struct ScrollRange {
  int max = 0;
  int largeChange = 1;
  int smallChange = 1;
  bool operator==(const ScrollRange&) const = default;
};
ScrollRange HorizontalRange(const SelectorGeometry& g, double z);
ScrollRange VerticalRange(const SelectorGeometry& g, double z);

// The outline shown for the wizard's crop style (0 active window, 1 full
// screen, 2 drawn area, 3 the pointer's monitor), in view twips.
ShapeRect ShapeForCropStyle(int cropStyle, const SelectorGeometry& g, double z, Scroll scroll);

// A rectangle drawn with the mouse on the view.
class SelectionDrag {
 public:
  void Press(double x, double y);
  void Move(double x, double y);
  // Ends the drag; the outline in capture twips.
  ShapeRect Release(const SelectorGeometry& g, double z, Scroll scroll);
  bool Dragging() const { return dragging_; }
  const ShapeRect& Outline() const { return shape_; }

 private:
  ShapeRect shape_;
  bool dragging_ = false;
};

// Rounded to whole twips (halves to even).
TwipsRect ToTwipsRect(const ShapeRect& r);

}  // namespace vistrel
