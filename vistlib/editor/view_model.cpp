#include "view_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <vector>

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

namespace {

// 1.25^steps from whole multiplications: exact up to 22 steps either way, and
// the same value for the same count whatever the way there.
double StepPower(int steps) {
  double power = 1.0;
  for (int i = 0; i < (steps < 0 ? -steps : steps); ++i) power *= kZoomStep;
  return steps < 0 ? 1.0 / power : power;
}

// The zoomed length of an image side; a side that is there keeps one pixel.
int ZoomedLength(int length, double zoom) {
  if (length <= 0) return 0;
  return std::max(RoundEven(length * zoom), 1);
}

}  // namespace

void ViewModel::Reset(int width, int height) {
  imageBounds = {0, 0, width, height};
  Apply(1.0, 0);
}

void ViewModel::Apply(double base, int steps) {
  base_ = base;
  steps_ = steps;
  zoomFactor = base * StepPower(steps);
  zoomedBounds = {0, 0, ZoomedLength(imageBounds.right, zoomFactor),
                  ZoomedLength(imageBounds.bottom, zoomFactor)};
}

ZoomOutcome ViewModel::ZoomBy(double factor) {
  double base = base_;
  int steps = steps_;
  if (factor == kZoomStep) {
    ++steps;
  } else if (factor == 1 / kZoomStep) {
    --steps;
  } else {
    base *= factor;
  }
  if (base * StepPower(steps) > kMaxZoom) return ZoomOutcome::TooFar;
  Apply(base, steps);
  return ZoomOutcome::Zoomed;
}

ZoomOutcome ViewModel::ZoomTo(int percent) {
  if (percent <= 0) return ZoomOutcome::Invalid;
  const double factor = percent / 100.0;
  if (factor > kMaxZoom) return ZoomOutcome::TooFar;
  Apply(factor, 0);
  return ZoomOutcome::Zoomed;
}

int ViewModel::ImagePixelAt(int d, int size) const {
  if (size <= 0) return 0;
  // A guess from the factor, then the mapping itself decides: the last pixel
  // whose first view pixel is not past d.
  const double guess = std::floor((d + 0.5) / zoomFactor);
  int i = static_cast<int>(std::clamp(guess, 0.0, static_cast<double>(size - 1)));
  while (i + 1 < size && ToView(i + 1) <= d) ++i;
  while (i > 0 && ToView(i) > d) --i;
  return i;
}

void ViewModel::Render(const uint32_t* pixels, int left, int top, int width, int height,
                       uint32_t* out) const {
  const int imageWidth = imageBounds.right, imageHeight = imageBounds.bottom;
  if (width <= 0 || height <= 0 || imageWidth <= 0 || imageHeight <= 0) return;
  std::vector<int> columns(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) columns[x] = ImagePixelAt(left + x, imageWidth);
  int lastRow = -1;
  for (int y = 0; y < height; ++y) {
    uint32_t* line = out + static_cast<size_t>(y) * width;
    const int row = ImagePixelAt(top + y, imageHeight);
    if (row == lastRow) {  // zoomed in, rows repeat
      std::copy(line - width, line, line);
      continue;
    }
    lastRow = row;
    const uint32_t* source = pixels + static_cast<size_t>(row) * imageWidth;
    for (int x = 0; x < width; ++x) line[x] = source[columns[x]];
  }
}

std::string ViewModel::ZoomText() const {
  return "Zoom: " + std::to_string(RoundEven(zoomFactor * 100)) + "%";
}

int ParseZoomPercent(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
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

double MonitorInView(int panel, int start, int length, double zoom) {
  if (length * zoom <= panel) return (start + length / 2.0) * zoom;
  return start * zoom + panel / 2.0;
}

}  // namespace vistlib
