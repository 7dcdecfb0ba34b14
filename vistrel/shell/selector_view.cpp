#include "selector_view.h"

#include <algorithm>
#include <cmath>

#include "number_text.h"

namespace vistrel {

namespace {

int Round(double value) {
  auto rounded = RoundToInt32(value);
  return rounded ? *rounded : 0;
}

ScrollRange RangeFor(double viewTwips, double captureTwips, double twipsPerPixel, double z) {
  ScrollRange range;
  double max = (viewTwips / z - captureTwips) / twipsPerPixel;
  auto rounded = RoundToInt16(max);
  // A capture larger than 16 bits of pixels scrolls as far as 16 bits go.
  int value = rounded ? *rounded : (max < 0 ? INT16_MIN : 0);
  range.max = std::min(value, 0);
  int span = std::abs(range.max);
  range.largeChange = std::max(Round(span / 5.0), 1);
  range.smallChange = std::max(Round(span / 50.0), 1);
  return range;
}

}  // namespace

double ZoomPercent(std::string_view zoomText) { return Val(zoomText); }

bool ZoomFillsView(const SelectorGeometry& g, double z) {
  return !(g.viewHeightTwips > g.captureHeightTwips * z ||
           g.viewWidthTwips > g.captureWidthTwips * z);
}

StretchCopy ComputeStretch(const SelectorGeometry& g, double z, Scroll scroll) {
  StretchCopy copy;
  copy.destWidth = Round(g.viewWidthTwips / g.twipsPerPixelX);
  copy.destHeight = Round(g.viewHeightTwips / g.twipsPerPixelY);
  copy.srcX = -scroll.h;
  copy.srcY = -scroll.v;
  copy.srcWidth = Round(g.viewWidthTwips / g.twipsPerPixelX / z);
  copy.srcHeight = Round(g.viewHeightTwips / g.twipsPerPixelY / z);
  return copy;
}

ScrollRange HorizontalRange(const SelectorGeometry& g, double z) {
  return RangeFor(g.viewWidthTwips, g.captureWidthTwips, g.twipsPerPixelX, z);
}

ScrollRange VerticalRange(const SelectorGeometry& g, double z) {
  return RangeFor(g.viewHeightTwips, g.captureHeightTwips, g.twipsPerPixelY, z);
}

ShapeRect ShapeForCropStyle(int cropStyle, const SelectorGeometry& g, double z, Scroll scroll) {
  if (cropStyle == 1) {
    // The whole capture: the outline stands at the view's edges as it is.
    const TwipsRect& full = FullScreenTwips;
    return {double(full.left), double(full.top), double(full.width), double(full.height)};
  }
  const TwipsRect& area = cropStyle == 0   ? ActiveWindowTwips
                          : cropStyle == 3 ? PointerMonitorTwips
                                           : SelectionTwips;
  ShapeRect shape;
  shape.left = area.left * z + scroll.h * z * g.twipsPerPixelX;
  shape.top = area.top * z + scroll.v * z * g.twipsPerPixelY;
  shape.width = area.width * z;
  shape.height = area.height * z;
  return shape;
}

void SelectionDrag::Press(double x, double y) {
  shape_ = {x, y, 0, 0};
  dragging_ = true;
}

void SelectionDrag::Move(double x, double y) {
  if (!dragging_) return;
  if (x < shape_.left) {
    shape_.width += shape_.left - x;
    shape_.left = x;
  }
  if (y < shape_.top) {
    shape_.height += shape_.top - y;
    shape_.top = y;
  }
  if (x > shape_.left) shape_.width = x - shape_.left;
  if (y > shape_.top) shape_.height = y - shape_.top;
}

ShapeRect SelectionDrag::Release(const SelectorGeometry& g, double z, Scroll scroll) {
  dragging_ = false;
  ShapeRect crop;
  crop.left = shape_.left / z - scroll.h * g.twipsPerPixelX;
  crop.top = shape_.top / z - scroll.v * g.twipsPerPixelY;
  crop.width = shape_.width / z;
  crop.height = shape_.height / z;
  return crop;
}

TwipsRect ToTwipsRect(const ShapeRect& r) {
  return {Round(r.left), Round(r.top), Round(r.width), Round(r.height)};
}

}  // namespace vistrel
