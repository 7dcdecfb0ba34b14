// Moving a selected mark on a 1920x1080 picture as the editor does it: each
// mouse move redraws the picture and the marks inside the mark's old and new
// place (RecomposeMarks). 500 moves of a rectangle among an arrow, a
// highlighter and three steps; prints the 95th percentile per move in ms.
// Text comes from a stand-in rasteriser of solid cells (the program uses the
// system's): the cost of compositing a mask is the same.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "marks.h"

namespace {

vistlib::Coverage Cells(const std::string& line, int height) {
  vistlib::Coverage c{static_cast<int>(line.size()) * (height / 2), height, {}};
  c.alpha.assign(static_cast<size_t>(c.width) * c.height, 255);
  return c;
}

vistlib::Mark Make(vistlib::MarkKind kind, vistlib::MarkPoint a, vistlib::MarkPoint b,
                   uint32_t colour, int number = 0) {
  vistlib::Mark mark;
  mark.kind = kind;
  mark.a = a;
  mark.b = b;
  mark.colour = colour;
  mark.number = number;
  return mark;
}

}  // namespace

int main() {
  vistlib::Image image(1920, 1080);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      image.At(x, y) =
          (x / 240 + y / 180) % 3 ? 0xF0F0F0 : static_cast<uint32_t>(x * 255 / 1920) << 16;
  using vistlib::MarkKind;
  std::vector<vistlib::Mark> marks{Make(MarkKind::Arrow, {300, 700}, {700, 400}, 0xFF0000),
                                   Make(MarkKind::Highlighter, {900, 200}, {1400, 260}, 0xFFFF00),
                                   Make(MarkKind::Step, {1500, 600}, {}, 0xFF0000, 1),
                                   Make(MarkKind::Step, {1560, 600}, {}, 0xFF0000, 2),
                                   Make(MarkKind::Step, {1620, 600}, {}, 0xFF0000, 3),
                                   Make(MarkKind::Rectangle, {200, 150}, {800, 550}, 0xFF0000)};
  const vistlib::TextRasteriser cells = Cells;
  vistlib::Image composite = image;
  vistlib::DrawMarks(composite, marks, cells);
  std::vector<double> times;
  for (int i = 0; i < 500; ++i) {
    const auto start = std::chrono::steady_clock::now();
    vistlib::Mark& box = marks.back();
    const vistrel::Rect before = vistlib::MarkBounds(box);
    vistlib::MoveMark(box, i % 100 < 50 ? 2 : -2, 1 - 2 * (i % 2));
    const vistrel::Rect after = vistlib::MarkBounds(box);
    const vistrel::Rect both{std::min(before.left, after.left), std::min(before.top, after.top),
                             std::max(before.right, after.right),
                             std::max(before.bottom, after.bottom)};
    vistlib::RecomposeMarks(composite, image, marks, cells, both);
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  std::printf("%.2f\n", times[times.size() * 95 / 100]);
  return 0;
}
