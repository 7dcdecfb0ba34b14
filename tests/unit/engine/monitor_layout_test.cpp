// Desktops of several monitors: the virtual screen, the parts no monitor
// shows, the monitor under the pointer, windows cut to the monitors, and all
// of it in the capture's pixels.
#include "monitor_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vistlib {
namespace {

using vistrel::Rect;

// Layouts as people have them. Rectangles are screen coordinates.
const std::vector<MonitorInfo> kSingle{{{0, 0, 1920, 1080}, 96, true}};
// A 1280x1024 screen left of the primary, lower than it and reaching above it.
const std::vector<MonitorInfo> kLeftTaller{{{0, 0, 1920, 1080}, 96, true},
                                           {{-1280, -200, 0, 824}, 96, false}};
// Three monitors with mixed scaling: a 150 % laptop panel as primary, a
// 100 % screen right of it with a 40-pixel gap, a 200 % screen above both.
const std::vector<MonitorInfo> kThreeMixed{{{0, 0, 2880, 1800}, 144, true},
                                           {{2920, 300, 4840, 1380}, 96, false},
                                           {{1000, -2160, 4840, 0}, 192, false}};

int64_t Area(const Rect& r) { return int64_t{r.Width()} * r.Height(); }

TEST(MonitorLayout, VirtualScreenAndItsUncoveredParts) {
  struct Case {
    std::string name;
    std::vector<MonitorInfo> monitors;
    Rect virtualScreen;
    int64_t uncoveredArea;
  };
  const std::vector<Case> cases{
      {"single", kSingle, {0, 0, 1920, 1080}, 0},
      // Left of the primary's top (200 high) and below the left one (256 high).
      {"left taller", kLeftTaller, {-1280, -200, 1920, 1080}, 1920 * 200 + 1280 * 256},
      {"three mixed",
       kThreeMixed,
       {0, -2160, 4840, 1800},
       // Beside the top screen, the gap, above and below the right screen.
       int64_t{1000} * 2160 + 40 * 1800 + 1920 * 300 + 1920 * 420},
      {"none", {}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Rect vs = VirtualScreen(c.monitors);
    EXPECT_EQ(vs, c.virtualScreen);
    const std::vector<Rect> parts = UncoveredParts(vs, c.monitors);
    int64_t area = 0;
    for (const Rect& part : parts) {
      area += Area(part);
      // Inside the virtual screen, on no monitor, overlapping no other part.
      EXPECT_EQ(Intersect(part, vs), part);
      for (const MonitorInfo& m : c.monitors) {
        EXPECT_TRUE(IsEmpty(Intersect(part, m.rect)));
      }
      for (const Rect& other : parts) {
        if (&other != &part) {
          EXPECT_TRUE(IsEmpty(Intersect(part, other)));
        }
      }
    }
    EXPECT_EQ(area, c.uncoveredArea);
  }
}

TEST(MonitorLayout, PointerMonitorInCapturePixels) {
  struct Case {
    std::string name;
    std::vector<MonitorInfo> monitors;
    Point pointer;
    Rect crop;
    int dpi;
  };
  const std::vector<Case> cases{
      {"single", kSingle, {500, 500}, {0, 0, 1920, 1080}, 96},
      {"primary of left taller", kLeftTaller, {0, 0}, {1280, 200, 3200, 1280}, 96},
      {"negative monitor", kLeftTaller, {-1, -200}, {0, 0, 1280, 1024}, 96},
      // Below the left monitor no monitor shows the pointer: the nearest one.
      {"under the left one", kLeftTaller, {-600, 1000}, {0, 0, 1280, 1024}, 96},
      {"laptop", kThreeMixed, {2879, 1799}, {0, 2160, 2880, 3960}, 144},
      {"right of the gap", kThreeMixed, {2920, 300}, {2920, 2460, 4840, 3540}, 96},
      // In the gap, nearer the laptop's edge.
      {"in the gap", kThreeMixed, {2895, 900}, {0, 2160, 2880, 3960}, 144},
      {"top", kThreeMixed, {4000, -1}, {1000, 0, 4840, 2160}, 192},
      {"no monitors", {}, {5, 5}, {0, 0, 0, 0}, 96},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DesktopLayout layout{c.monitors, VirtualScreen(c.monitors), c.pointer};
    EXPECT_EQ(layout.PointerMonitorInCapture(), c.crop);
    EXPECT_EQ(layout.PointerDpi(), c.dpi);
  }
}

TEST(MonitorLayout, WindowsAreCutToTheMonitorsInCapturePixels) {
  struct Case {
    std::string name;
    std::vector<MonitorInfo> monitors;
    Rect window;
    Rect crop;
  };
  const std::vector<Case> cases{
      {"single, inside", kSingle, {10, 20, 300, 400}, {10, 20, 300, 400}},
      {"single, hanging off the left", kSingle, {-50, 10, 100, 200}, {0, 10, 100, 200}},
      // Minimised windows lie far off screen: the whole capture stands in.
      {"single, minimised", kSingle, {-32000, -32000, -31840, -31969}, {0, 0, 1920, 1080}},
      {"across the left and primary", kLeftTaller, {-300, 100, 300, 1000}, {980, 300, 1580, 1200}},
      // Below the left monitor nothing shows: only the primary's part remains.
      {"below the left one", kLeftTaller, {-300, 900, 300, 1100}, {1280, 1100, 1580, 1280}},
      // Spanning the gap keeps the gap inside: the crop is one rectangle.
      {"over the gap", kThreeMixed, {2800, 400, 3000, 500}, {2800, 2560, 3000, 2660}},
      {"only in the gap", kThreeMixed, {2890, 400, 2910, 500}, {0, 0, 4840, 3960}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DesktopLayout layout{c.monitors, VirtualScreen(c.monitors), {}};
    EXPECT_EQ(layout.WindowInCapture(c.window), c.crop);
  }
}

TEST(MonitorLayout, LengthsFollowTheMonitorsDpi) {
  for (auto [length, dpi, scaled] : {std::tuple{100, 96, 100},
                                     {100, 120, 125},
                                     {100, 144, 150},
                                     {100, 168, 175},
                                     {100, 192, 200},
                                     {7, 144, 11},
                                     {-7, 144, -11},
                                     {1, 120, 1},
                                     {0, 192, 0}}) {
    EXPECT_EQ(ScaleForDpi(length, dpi), scaled) << length << " at " << dpi;
  }
}

}  // namespace
}  // namespace vistlib
