#include "monitor_layout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vistlib {

using vistrel::Rect;

Rect VirtualScreen(const std::vector<MonitorInfo>& monitors) {
  Rect all;
  for (const MonitorInfo& m : monitors) all = Union(all, m.rect);
  return all;
}

std::vector<Rect> UncoveredParts(const Rect& virtualScreen,
                                 const std::vector<MonitorInfo>& monitors) {
  std::vector<Rect> parts;
  if (IsEmpty(virtualScreen)) return parts;
  // Every monitor edge cuts the virtual screen into cells that lie wholly
  // inside or wholly outside each monitor.
  std::vector<int32_t> xs{virtualScreen.left, virtualScreen.right};
  std::vector<int32_t> ys{virtualScreen.top, virtualScreen.bottom};
  for (const MonitorInfo& m : monitors) {
    const Rect r = Intersect(m.rect, virtualScreen);
    if (IsEmpty(r)) continue;
    xs.insert(xs.end(), {r.left, r.right});
    ys.insert(ys.end(), {r.top, r.bottom});
  }
  for (auto* edges : {&xs, &ys}) {
    std::sort(edges->begin(), edges->end());
    edges->erase(std::unique(edges->begin(), edges->end()), edges->end());
  }
  auto covered = [&](int32_t x, int32_t y) {
    return std::any_of(monitors.begin(), monitors.end(), [&](const MonitorInfo& m) {
      return x >= m.rect.left && x < m.rect.right && y >= m.rect.top && y < m.rect.bottom;
    });
  };
  for (std::size_t row = 0; row + 1 < ys.size(); ++row) {
    const int32_t top = ys[row], bottom = ys[row + 1];
    // Neighbouring uncovered cells of a row become one rectangle.
    bool inRun = false;
    int32_t runStart = 0;
    for (std::size_t col = 0; col + 1 < xs.size(); ++col) {
      const bool hole = !covered(xs[col], top);
      if (hole && !inRun) {
        inRun = true;
        runStart = xs[col];
      } else if (!hole && inRun) {
        parts.push_back(Rect{runStart, top, xs[col], bottom});
        inRun = false;
      }
    }
    if (inRun) parts.push_back(Rect{runStart, top, xs.back(), bottom});
  }
  return parts;
}

namespace {

// Squared distance from a point to the nearest pixel of a rectangle.
int64_t DistanceSquared(const Rect& r, Point p) {
  auto axis = [](int32_t v, int32_t low, int32_t high) -> int64_t {
    if (v < low) return int64_t{low} - v;
    if (v >= high) return int64_t{v} - (int64_t{high} - 1);
    return 0;
  };
  const int64_t dx = axis(p.x, r.left, r.right);
  const int64_t dy = axis(p.y, r.top, r.bottom);
  return dx * dx + dy * dy;
}

}  // namespace

std::optional<std::size_t> MonitorAt(const std::vector<MonitorInfo>& monitors, Point point) {
  std::optional<std::size_t> best;
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (IsEmpty(monitors[i].rect)) continue;
    const int64_t d = DistanceSquared(monitors[i].rect, point);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

Rect ClipToMonitors(const Rect& screenRect, const std::vector<MonitorInfo>& monitors) {
  Rect shown;
  for (const MonitorInfo& m : monitors) shown = Union(shown, Intersect(screenRect, m.rect));
  return shown;
}

Rect ToCapturePixels(const Rect& screenRect, const Rect& virtualScreen) {
  return Offset(screenRect, -virtualScreen.left, -virtualScreen.top);
}

int ScaleForDpi(int length96, int dpi) {
  const int64_t scaled = int64_t{length96} * dpi;
  const int64_t half = kDefaultDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kDefaultDpi
                                      : -((-scaled + half) / kDefaultDpi));
}

Rect DesktopLayout::PointerMonitorInCapture() const {
  const Rect whole{0, 0, virtualScreen.Width(), virtualScreen.Height()};
  const std::optional<std::size_t> at = MonitorAt(monitors, pointer);
  if (!at) return whole;
  return Intersect(ToCapturePixels(monitors[*at].rect, virtualScreen), whole);
}

Rect DesktopLayout::WindowInCapture(const Rect& screenRect) const {
  const Rect whole{0, 0, virtualScreen.Width(), virtualScreen.Height()};
  const Rect shown = Intersect(ClipToMonitors(screenRect, monitors), virtualScreen);
  if (IsEmpty(shown)) return whole;
  return ToCapturePixels(shown, virtualScreen);
}

int DesktopLayout::PointerDpi() const {
  const std::optional<std::size_t> at = MonitorAt(monitors, pointer);
  return at ? monitors[*at].dpi : kDefaultDpi;
}

}  // namespace vistlib
