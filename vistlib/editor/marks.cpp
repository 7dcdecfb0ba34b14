#include "marks.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vistlib {
namespace {

// Mark points name pixels; shapes are drawn through their centres, so an odd
// line width covers whole pixels.
struct Vec {
  double x, y;
};
Vec Centre(MarkPoint p) { return {p.x + 0.5, p.y + 0.5}; }
double Length(Vec v) { return std::hypot(v.x, v.y); }

double SegmentDistance(Vec p, Vec a, Vec b) {
  const Vec ab{b.x - a.x, b.y - a.y}, ap{p.x - a.x, p.y - a.y};
  const double lengthSquared = ab.x * ab.x + ab.y * ab.y;
  const double t =
      lengthSquared > 0 ? std::clamp((ap.x * ab.x + ap.y * ab.y) / lengthSquared, 0.0, 1.0) : 0;
  return Length({ap.x - t * ab.x, ap.y - t * ab.y});
}

// Signed distance to a box (negative inside).
double BoxDistance(Vec p, Vec low, Vec high) {
  const double cx = (low.x + high.x) / 2, cy = (low.y + high.y) / 2;
  const double qx = std::abs(p.x - cx) - (high.x - low.x) / 2;
  const double qy = std::abs(p.y - cy) - (high.y - low.y) / 2;
  return Length({std::max(qx, 0.0), std::max(qy, 0.0)}) + std::min(std::max(qx, qy), 0.0);
}

// Signed distance to an ellipse's outline, approximated to first order.
double EllipseDistance(Vec p, Vec centre, double rx, double ry) {
  rx = std::max(rx, 0.5);
  ry = std::max(ry, 0.5);
  const double x = p.x - centre.x, y = p.y - centre.y;
  const double k0 = Length({x / rx, y / ry});
  const double k1 = Length({x / (rx * rx), y / (ry * ry)});
  if (k1 == 0) return -std::min(rx, ry);
  return k0 * (k0 - 1) / k1;
}

// Signed distance to a convex triangle (negative inside), by its edges.
double TriangleDistance(Vec p, const Vec (&t)[3]) {
  const double turn = (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
  double distance = -1e9;
  for (int i = 0; i < 3; ++i) {
    const Vec a = t[i], b = t[(i + 1) % 3];
    const double length = std::max(Length({b.x - a.x, b.y - a.y}), 1e-9);
    double side = ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / length;
    if (turn > 0) side = -side;
    distance = std::max(distance, side);
  }
  return distance;
}

double CoverageOf(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

uint8_t Channel(uint32_t pixel, int shift) { return static_cast<uint8_t>(pixel >> shift & 0xFF); }

void Blend(uint32_t& under, uint32_t colour, double alpha) {
  if (alpha <= 0) return;
  uint32_t out = 0;
  for (int shift : {16, 8, 0}) {
    const double u = Channel(under, shift), c = Channel(colour, shift);
    out |= static_cast<uint32_t>(std::lround(u + (c - u) * alpha)) << shift;
  }
  under = out;
}

// A highlighter: the colour multiplies what is under it, as ink on paper, so
// dark text stays dark and readable.
void Multiply(uint32_t& under, uint32_t colour, double alpha) {
  if (alpha <= 0) return;
  uint32_t out = 0;
  for (int shift : {16, 8, 0}) {
    const double u = Channel(under, shift), c = Channel(colour, shift);
    out |= static_cast<uint32_t>(std::lround(u + (u * c / 255 - u) * alpha)) << shift;
  }
  under = out;
}

template <typename CoverageAt>
void Paint(Image& target, const vistrel::Rect& area, uint32_t colour, bool multiply,
           CoverageAt coverage) {
  const vistrel::Rect r = vistrel::Intersect(area, {0, 0, target.width, target.height});
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const double alpha = coverage(Vec{x + 0.5, y + 0.5});
      if (multiply) {
        Multiply(target.At(x, y), colour, alpha);
      } else {
        Blend(target.At(x, y), colour, alpha);
      }
    }
}

// As Paint, but each row only from x0 to x1 that `span` gives for the row's
// centre line: thin slanted shapes cost their outline, not their box.
template <typename CoverageAt, typename SpanOf>
void PaintSpans(Image& target, const vistrel::Rect& area, uint32_t colour, CoverageAt coverage,
                SpanOf span) {
  const vistrel::Rect r = vistrel::Intersect(area, {0, 0, target.width, target.height});
  for (int y = r.top; y < r.bottom; ++y) {
    const auto [x0, x1] = span(y + 0.5);
    if (x1 < x0) continue;
    const int from = std::max(r.left, static_cast<int>(std::floor(x0)));
    const int to = std::min(r.right, static_cast<int>(std::ceil(x1)) + 1);
    for (int x = from; x < to; ++x) Blend(target.At(x, y), colour, coverage(Vec{x + 0.5, y + 0.5}));
  }
}

// The x range of the points within `reach` of segment a-b on the line y;
// empty (second < first) when none.
std::pair<double, double> SegmentSpan(Vec a, Vec b, double reach, double y) {
  double t0 = 0, t1 = 1;
  const double dy = b.y - a.y;
  if (dy == 0) {
    if (std::abs(a.y - y) > reach) return {1, 0};
  } else {
    t0 = (y - reach - a.y) / dy;
    t1 = (y + reach - a.y) / dy;
    if (t0 > t1) std::swap(t0, t1);
    t0 = std::max(t0, 0.0);
    t1 = std::min(t1, 1.0);
    if (t1 < t0) return {1, 0};
  }
  const double xa = a.x + t0 * (b.x - a.x), xb = a.x + t1 * (b.x - a.x);
  return {std::min(xa, xb) - reach, std::max(xa, xb) + reach};
}

// A coverage mask blended at (left, top).
void PaintMask(Image& target, const vistrel::Rect& clip, const Coverage& mask, int left, int top,
               uint32_t colour) {
  const vistrel::Rect r =
      vistrel::Intersect(clip, {left, top, left + mask.width, top + mask.height});
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      Blend(target.At(x, y), colour,
            mask.alpha[static_cast<size_t>(y - top) * mask.width + (x - left)] / 255.0);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

double HalfWidth(const Mark& mark) { return std::max(mark.width, 1) / 2.0; }

struct ArrowShape {
  Vec tail, base, head;
  Vec wings[3];
};

ArrowShape ArrowOf(const Mark& mark) {
  ArrowShape s{};
  s.tail = Centre(mark.a);
  s.head = Centre(mark.b);
  const Vec d{s.head.x - s.tail.x, s.head.y - s.tail.y};
  const double length = Length(d);
  const double headLength = std::min(6.0 + 3.0 * mark.width, length);
  const double headHalf = 3.0 + 1.5 * mark.width;
  const Vec u = length > 0 ? Vec{d.x / length, d.y / length} : Vec{1, 0};
  s.base = {s.head.x - u.x * headLength, s.head.y - u.y * headLength};
  s.wings[0] = s.head;
  s.wings[1] = {s.base.x - u.y * headHalf, s.base.y + u.x * headHalf};
  s.wings[2] = {s.base.x + u.y * headHalf, s.base.y - u.x * headHalf};
  return s;
}

uint32_t Luma(uint32_t pixel) {
  return (299 * Channel(pixel, 16) + 587 * Channel(pixel, 8) + 114 * Channel(pixel, 0)) / 1000;
}

}  // namespace

int TextPixelHeight(const Mark& mark) { return 10 + 3 * std::max(mark.width, 1); }
int StepRadius(const Mark& mark) { return 8 + 2 * std::max(mark.width, 1); }

vistrel::Rect MarkBounds(const Mark& mark) {
  const vistrel::Rect box = Normalised({mark.a.x, mark.a.y, mark.b.x + 1, mark.b.y + 1});
  const vistrel::Rect pointBox = Normalised({mark.a.x, mark.a.y, mark.b.x, mark.b.y});
  auto grown = [](const vistrel::Rect& r, int by) {
    return vistrel::Rect{r.left - by, r.top - by, r.right + by, r.bottom + by};
  };
  const int edge = static_cast<int>(std::ceil(HalfWidth(mark))) + 2;
  switch (mark.kind) {
    case MarkKind::Arrow:
      return grown({pointBox.left, pointBox.top, pointBox.right + 1, pointBox.bottom + 1},
                   static_cast<int>(std::ceil(3.0 + 1.5 * mark.width)) + edge);
    case MarkKind::Rectangle:
    case MarkKind::Ellipse:
      return grown(box, edge);
    case MarkKind::Highlighter:
      return grown(box, 1);
    case MarkKind::Text:
      return grown({mark.a.x, mark.a.y, mark.b.x, mark.b.y}, 1);
    case MarkKind::Step: {
      const int r = StepRadius(mark) + 2;
      return {mark.a.x - r, mark.a.y - r, mark.a.x + r + 1, mark.a.y + r + 1};
    }
  }
  return box;
}

void LayoutText(Mark& mark, const TextRasteriser& rasterise) {
  const int height = TextPixelHeight(mark);
  int width = height / 2;  // room for the caret of an empty line
  const std::vector<std::string> lines = Lines(mark.text);
  for (const std::string& line : lines)
    if (!line.empty()) width = std::max(width, rasterise(line, height).width);
  mark.b = {mark.a.x + width, mark.a.y + height * static_cast<int>(lines.size())};
}

MarkPart HitMark(const Mark& mark, double x, double y, double slack) {
  const Vec p{x, y};
  const double reach = HalfWidth(mark) + slack;
  const bool handles = mark.kind != MarkKind::Text && mark.kind != MarkKind::Step;
  if (handles && Length({p.x - Centre(mark.b).x, p.y - Centre(mark.b).y}) <= reach + 2)
    return MarkPart::HandleB;
  if (handles && Length({p.x - Centre(mark.a).x, p.y - Centre(mark.a).y}) <= reach + 2)
    return MarkPart::HandleA;
  const vistrel::Rect n = Normalised({mark.a.x, mark.a.y, mark.b.x, mark.b.y});
  const Vec low{n.left + 0.5, n.top + 0.5}, high{n.right + 0.5, n.bottom + 0.5};
  bool hit = false;
  switch (mark.kind) {
    case MarkKind::Arrow: {
      const ArrowShape s = ArrowOf(mark);
      hit = SegmentDistance(p, s.tail, s.head) <= reach || TriangleDistance(p, s.wings) <= slack;
      break;
    }
    case MarkKind::Rectangle:
      hit = std::abs(BoxDistance(p, low, high)) <= reach;
      break;
    case MarkKind::Ellipse:
      hit = std::abs(EllipseDistance(p, {(low.x + high.x) / 2, (low.y + high.y) / 2},
                                     (high.x - low.x) / 2, (high.y - low.y) / 2)) <= reach;
      break;
    case MarkKind::Highlighter:
      hit = BoxDistance(p, low, high) <= slack;
      break;
    case MarkKind::Text:
      hit = BoxDistance(p, {double(mark.a.x), double(mark.a.y)},
                        {double(mark.b.x), double(mark.b.y)}) <= slack;
      break;
    case MarkKind::Step:
      hit = Length({p.x - Centre(mark.a).x, p.y - Centre(mark.a).y}) <= StepRadius(mark) + slack;
      break;
  }
  return hit ? MarkPart::Body : MarkPart::None;
}

std::optional<MarkHit> HitMarks(const std::vector<Mark>& marks, double x, double y, double slack) {
  for (int i = static_cast<int>(marks.size()) - 1; i >= 0; --i) {
    const MarkPart part = HitMark(marks[i], x, y, slack);
    if (part != MarkPart::None) return MarkHit{i, part};
  }
  return std::nullopt;
}

void MoveMark(Mark& mark, int dx, int dy) {
  mark.a = {mark.a.x + dx, mark.a.y + dy};
  mark.b = {mark.b.x + dx, mark.b.y + dy};
}

void DragHandle(Mark& mark, MarkPart handle, MarkPoint to) {
  if (mark.kind == MarkKind::Text || mark.kind == MarkKind::Step) return;
  if (handle == MarkPart::HandleA) mark.a = to;
  if (handle == MarkPart::HandleB) mark.b = to;
}

int NextStepNumber(const std::vector<Mark>& marks) {
  int highest = 0;
  for (const Mark& mark : marks)
    if (mark.kind == MarkKind::Step) highest = std::max(highest, mark.number);
  return highest + 1;
}

void DrawMarks(Image& target, const std::vector<Mark>& marks, const TextRasteriser& rasterise,
               const vistrel::Rect& clip) {
  for (const Mark& mark : marks) {
    const vistrel::Rect area = vistrel::Intersect(MarkBounds(mark), clip);
    if (area.right <= area.left || area.bottom <= area.top) continue;
    const double half = HalfWidth(mark);
    const vistrel::Rect n = Normalised({mark.a.x, mark.a.y, mark.b.x, mark.b.y});
    const Vec low{n.left + 0.5, n.top + 0.5}, high{n.right + 0.5, n.bottom + 0.5};
    switch (mark.kind) {
      case MarkKind::Arrow: {
        const ArrowShape s = ArrowOf(mark);
        double headLeft = s.wings[0].x, headRight = headLeft, headTop = s.wings[0].y,
               headBottom = headTop;
        for (const Vec& w : s.wings) {
          headLeft = std::min(headLeft, w.x), headRight = std::max(headRight, w.x);
          headTop = std::min(headTop, w.y), headBottom = std::max(headBottom, w.y);
        }
        PaintSpans(
            target, area, mark.colour,
            [&](Vec p) {
              return std::max(CoverageOf(SegmentDistance(p, s.tail, s.base) - half),
                              CoverageOf(TriangleDistance(p, s.wings)));
            },
            [&](double y) {
              auto span = SegmentSpan(s.tail, s.base, half + 1, y);
              if (y >= headTop - 1 && y <= headBottom + 1) {
                const bool none = span.second < span.first;
                span = {none ? headLeft - 1 : std::min(span.first, headLeft - 1),
                        none ? headRight + 1 : std::max(span.second, headRight + 1)};
              }
              return span;
            });
        break;
      }
      case MarkKind::Rectangle: {
        auto outline = [&](Vec p) {
          return CoverageOf(std::abs(BoxDistance(p, low, high)) - half);
        };
        // Only the bands along the edges can be touched: a large box moved
        // about costs its outline, not its inside.
        const int band = static_cast<int>(std::ceil(half)) + 2;
        if (n.Width() <= 2 * band + 2 || n.Height() <= 2 * band + 2) {
          Paint(target, area, mark.colour, false, outline);
          break;
        }
        const vistrel::Rect strips[] = {
            {n.left - band, n.top - band, n.right + band + 1, n.top + band + 1},
            {n.left - band, n.bottom - band, n.right + band + 1, n.bottom + band + 1},
            {n.left - band, n.top + band + 1, n.left + band + 1, n.bottom - band},
            {n.right - band, n.top + band + 1, n.right + band + 1, n.bottom - band}};
        for (const vistrel::Rect& strip : strips)
          Paint(target, vistrel::Intersect(strip, area), mark.colour, false, outline);
        break;
      }
      case MarkKind::Ellipse: {
        const Vec centre{(low.x + high.x) / 2, (low.y + high.y) / 2};
        const double rx = (high.x - low.x) / 2, ry = (high.y - low.y) / 2;
        Paint(target, area, mark.colour, false, [&](Vec p) {
          return CoverageOf(std::abs(EllipseDistance(p, centre, rx, ry)) - half);
        });
        break;
      }
      case MarkKind::Highlighter: {
        // Its corners name pixels it covers whole.
        const Vec from{double(n.left), double(n.top)}, to{n.right + 1.0, n.bottom + 1.0};
        Paint(target, area, mark.colour, true,
              [&](Vec p) { return CoverageOf(BoxDistance(p, from, to)); });
        break;
      }
      case MarkKind::Text: {
        const int height = TextPixelHeight(mark);
        int top = mark.a.y;
        for (const std::string& line : Lines(mark.text)) {
          if (!line.empty())
            PaintMask(target, area, rasterise(line, height), mark.a.x, top, mark.colour);
          top += height;
        }
        break;
      }
      case MarkKind::Step: {
        const Vec centre = Centre(mark.a);
        const double radius = StepRadius(mark);
        Paint(target, area, mark.colour, false, [&](Vec p) {
          return CoverageOf(Length({p.x - centre.x, p.y - centre.y}) - radius);
        });
        const Coverage digits =
            rasterise(std::to_string(mark.number), static_cast<int>(radius * 1.3));
        const uint32_t ink = Luma(mark.colour) > 150 ? 0x000000 : 0xFFFFFF;
        PaintMask(target, area, digits, mark.a.x - digits.width / 2, mark.a.y - digits.height / 2,
                  ink);
        break;
      }
    }
  }
}

vistrel::Rect RecomposeMarks(Image& composite, const Image& image, const std::vector<Mark>& marks,
                             const TextRasteriser& rasterise, const vistrel::Rect& area) {
  const vistrel::Rect part = vistrel::Intersect(area, {0, 0, image.width, image.height});
  if (part.right <= part.left || part.bottom <= part.top) return {};
  for (int y = part.top; y < part.bottom; ++y)
    std::copy_n(&image.pixels[static_cast<size_t>(y) * image.width + part.left], part.Width(),
                &composite.pixels[static_cast<size_t>(y) * image.width + part.left]);
  DrawMarks(composite, marks, rasterise, part);
  return part;
}

void DrawMarks(Image& target, const std::vector<Mark>& marks, const TextRasteriser& rasterise) {
  DrawMarks(target, marks, rasterise, {0, 0, target.width, target.height});
}

}  // namespace vistlib
