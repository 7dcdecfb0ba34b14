#pragma once
// The editor's view: zoom factor, the zoomed size of the image and where the
// image sits in the view panel (scroll positions, 20 pixels a step).
#include <cstdint>
#include <string>
#include <string_view>

#include "rect.h"

namespace vistlib {

constexpr double kMaxZoom = 28.4;
constexpr double kZoomStep = 1.25;  // a zoom-in click; a zoom-out click is 0.8 = 1 / 1.25
constexpr int kScrollStep = 20;

enum class ZoomTool { None = 0, In = 1, Out = 2 };
enum class ZoomOutcome { Zoomed, TooFar, Invalid };

extern const char kMaxZoomText[];     // "Can not zoom further in."
extern const char kMaxZoomCaption[];  // "Maximum Zoom!"
extern const char kBadZoomText[];     // "You can only enter whole numbers above 0!"
extern const char kBadZoomCaption[];  // "Invalid User Input"

// Rounds to the nearest integer, halves to even.
int RoundEven(double value);

// The factor of a click on the image: 1.25 or 0.8 by the zoom tool down, the
// other one when `reversed` (Ctrl held or the right button); 0 with no tool.
double ClickZoomFactor(ZoomTool tool, bool reversed);

// The displayed size is always the image size x zoomFactor, worked out afresh
// from the image at each zoom, and one mapping places image pixels in the view:
// image pixel i covers view pixels ToView(i) up to ToView(i + 1). The picture,
// outlines, the rubber band and the manual rectangle all use it, so what is
// drawn is what an operation then changes.
struct ViewModel {
  double zoomFactor = 1.0;
  vistrel::Rect imageBounds;
  vistrel::Rect zoomedBounds;

  // A new image of this size at zoom 1 (each capture, each crop).
  void Reset(int width, int height);
  // Multiplies the zoom by `factor`, unless that passes the limit.
  ZoomOutcome ZoomBy(double factor);
  // Sets the zoom to `percent` of the image.
  ZoomOutcome ZoomTo(int percent);
  // "Zoom: 305%"
  std::string ZoomText() const;

  // The view coordinate of the image coordinate `i` (an edge between pixels).
  int ToView(int i) const { return RoundEven(i * zoomFactor); }
  // The image pixel shown at view pixel `d` on an axis `size` image pixels
  // long; clamped to the image.
  int ImagePixelAt(int d, int size) const;
  // The view pixels (left, top) to (left + width, top + height) of `pixels`
  // (an image of imageBounds' size, rows top-down) into `out`, width x height.
  void Render(const uint32_t* pixels, int left, int top, int width, int height,
              uint32_t* out) const;

 private:
  void Apply(double base, int steps);
  // The zoom is base x 1.25^steps: clicks count whole steps, so that zooming
  // out and in again returns to exactly the same factor.
  double base_ = 1.0;
  int steps_ = 0;
};

// The text of the exact-zoom box as a level in percent: 0 when it is not a
// whole number above 0; very long numbers come out as INT32_MAX (too far).
int ParseZoomPercent(std::string_view text);

// One axis of the view panel: whether its scroll bar shows, the bar's range
// and position, and the image's offset in the panel (-20 x position).
struct AxisPlacement {
  bool barShown = false;
  int maximum = 0;
  int position = 0;
  int offset = 0;
};

// Places the image on one axis so that the image point `wanted` pixels from
// its origin comes to the middle of the panel, as far as the range allows.
// `panel` is the panel's extent, `bar` the thickness of the other axis's bar.
AxisPlacement PlaceAxis(int panel, int bar, int image, double wanted);

// The image point (zoomed pixels) to bring to the middle of the panel on one
// axis so that a monitor's part of a capture shows: the monitor's middle when
// it fits the panel, else its start at the panel's start. `start` and `length`
// are capture pixels; the result goes to PlaceAxis as `wanted`.
double MonitorInView(int panel, int start, int length, double zoom);

}  // namespace vistlib
