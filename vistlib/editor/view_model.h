#pragma once
// The editor's view: zoom factor, the zoomed size of the image and where the
// image sits in the view panel (scroll positions, 20 pixels a step).
#include <string>
#include <string_view>

#include "rect.h"

namespace vistlib {

constexpr double kMaxZoom = 28.4;
constexpr int kScrollStep = 20;

enum class ZoomTool { None = 0, In = 1, Out = 2 };
enum class ZoomOutcome { Zoomed, TooFar, Invalid };

extern const char kMaxZoomText[];      // "Can not zoom further in."
extern const char kMaxZoomCaption[];   // "Maximum Zoom!"
extern const char kBadZoomText[];      // "You can only enter whole numbers above 0!"
extern const char kBadZoomCaption[];   // "Invalid User Input"

// Rounds to the nearest integer, halves to even.
int RoundEven(double value);

// The factor of a click on the image: 1.25 or 0.8 by the zoom tool down, the
// other one when `reversed` (Ctrl held or the right button); 0 with no tool.
double ClickZoomFactor(ZoomTool tool, bool reversed);

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

}  // namespace vistlib
