#include "view_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

namespace vistlib {

const char kMaxZoomText[] = "Can not zoom further in.";
const char kMaxZoomCaption[] = "Maximum Zoom!";
const char kBadZoomText[] = "You can only enter whole numbers above 0!";
const char kBadZoomCaption[] = "Invalid User Input";

int RoundEven(double value) {
  const double r = std::nearbyint(value);  // the default mode rounds halves to even
  if (r > INT32_MAX) return INT32_MAX;
  if (r < INT32_MIN) return INT32_MIN;
  return static_cast<int>(r);
}

double ClickZoomFactor(ZoomTool tool, bool reversed) {
  if (tool == ZoomTool::None) return 0;
  return (tool == ZoomTool::In) != reversed ? 1.25 : 0.8;
}

void ViewModel::Reset(int width, int height) {
  zoomFactor = 1.0;
  imageBounds = {0, 0, width, height};
  zoomedBounds = imageBounds;
}

ZoomOutcome ViewModel::ZoomBy(double factor) {
  if (zoomFactor * factor > kMaxZoom) return ZoomOutcome::TooFar;
  zoomedBounds.right = RoundEven(zoomedBounds.right * factor);
  zoomedBounds.bottom = RoundEven(zoomedBounds.bottom * factor);
  zoomFactor *= factor;
  return ZoomOutcome::Zoomed;
}

ZoomOutcome ViewModel::ZoomTo(int percent) {
  if (percent <= 0) return ZoomOutcome::Invalid;
  const double factor = percent / 100.0;
  if (factor > kMaxZoom) return ZoomOutcome::TooFar;
  zoomFactor = factor;
  zoomedBounds = {0, 0, RoundEven(imageBounds.right * factor),
                  RoundEven(imageBounds.bottom * factor)};
  return ZoomOutcome::Zoomed;
}

std::string ViewModel::ZoomText() const {
  return "Zoom: " + std::to_string(RoundEven(zoomFactor * 100)) + "%";
}

int ParseZoomPercent(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return 0;
  int64_t value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX);
  }
  return static_cast<int>(value);
}

AxisPlacement PlaceAxis(int panel, int bar, int image, double wanted) {
  AxisPlacement placement;
  if (panel - bar >= image) return placement;
  placement.barShown = true;
  placement.maximum = std::max(RoundEven((image - panel + bar) * 0.05), 0);
  const int d = RoundEven(wanted - panel / 2.0);
  placement.position = std::clamp(RoundEven(d * 0.05), 0, placement.maximum);
  placement.offset = -kScrollStep * placement.position;
  return placement;
}

}  // namespace vistlib
