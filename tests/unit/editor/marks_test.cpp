#include "marks.h"

#include <gtest/gtest.h>

#include "view_model.h"

namespace vistlib {
namespace {

// Each character a solid cell half the line's height wide.
Coverage Blocks(const std::string& line, int height) {
  Coverage c{static_cast<int>(line.size()) * (height / 2), height, {}};
  c.alpha.assign(static_cast<size_t>(c.width) * c.height, 255);
  return c;
}

Mark Make(MarkKind kind, MarkPoint a, MarkPoint b, uint32_t colour, int width,
          std::string text = "", int number = 0) {
  Mark mark;
  mark.kind = kind;
  mark.a = a;
  mark.b = b;
  mark.colour = colour;
  mark.width = width;
  mark.text = std::move(text);
  mark.number = number;
  return mark;
}

constexpr uint32_t kRed = 0xFF0000, kWhite = 0xFFFFFF, kYellow = 0xFFFF00;

TEST(Marks, EachKindDrawsAtKnownPixelsAndLeavesTheRest) {
  Image image(200, 120, kWhite);
  image.At(150, 20) = 0x000000;  // "text" under the highlighter
  Mark text = Make(MarkKind::Text, {120, 70}, {}, 0x0000FF, 2, "ab\nc");
  LayoutText(text, Blocks);
  EXPECT_EQ(text.b, (MarkPoint{120 + 2 * 8, 70 + 2 * 16}));
  const std::vector<Mark> marks{Make(MarkKind::Rectangle, {10, 10}, {40, 30}, kRed, 3),
                                Make(MarkKind::Ellipse, {60, 10}, {100, 50}, kRed, 1),
                                Make(MarkKind::Highlighter, {140, 10}, {180, 30}, kYellow, 1),
                                Make(MarkKind::Arrow, {10, 100}, {90, 60}, kRed, 3),
                                text,
                                Make(MarkKind::Step, {170, 90}, {}, 0x008000, 2, "", 7)};
  DrawMarks(image, marks, Blocks);
  struct Probe {
    int x, y;
    uint32_t expected;
  } probes[] = {
      {9, 20, kRed},       {11, 20, kRed},     {8, 20, kWhite},
      {12, 20, kWhite},                                            // rectangle edge, 3 wide
      {25, 10, kRed},      {25, 20, kWhite},                       // its top; inside
      {80, 30, kWhite},    {60, 30, kRed},     {80, 10, kRed},     // ellipse: centre, left, top
      {150, 20, 0},        {160, 25, kYellow}, {181, 20, kWhite},  // highlighter keeps dark text
      {86, 62, kRed},      {50, 80, kRed},     {50, 70, kWhite},   // arrow head, shaft, beside
      {121, 71, 0x0000FF}, {137, 71, kWhite},  {121, 87, 0x0000FF},
      {129, 87, kWhite},                       // two lines of text
      {160, 90, 0x008000}, {170, 90, kWhite},  // step: disc, white digit
  };
  for (const Probe& p : probes) EXPECT_EQ(image.At(p.x, p.y), p.expected) << p.x << "," << p.y;
  // Slanted edges are anti-aliased: some pixels lie between the colours.
  int between = 0;
  for (int y = 55; y < 105; ++y)
    for (int x = 5; x < 95; ++x) between += image.At(x, y) != kRed && image.At(x, y) != kWhite;
  EXPECT_GT(between, 40);
  // Nothing is drawn outside what MarkBounds says.
  for (const Mark& mark : marks) {
    Image one(200, 120, kWhite);
    DrawMarks(one, {mark}, Blocks);
    const vistrel::Rect b = MarkBounds(mark);
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 200; ++x)
        if (x < b.left || x >= b.right || y < b.top || y >= b.bottom) {
          ASSERT_EQ(one.At(x, y), kWhite) << static_cast<int>(mark.kind) << " at " << x << "," << y;
        }
  }
  // Drawing part by part (a clip) gives the same pixels as drawing once.
  Image parts(200, 120, kWhite);
  parts.At(150, 20) = 0;
  for (int top = 0; top < 120; top += 17) DrawMarks(parts, marks, Blocks, {0, top, 200, top + 17});
  EXPECT_TRUE(parts == image);
}

TEST(Marks, HitTestingMovingAndResizingInPicturePixelsAtAnyZoom) {
  std::vector<Mark> marks{Make(MarkKind::Rectangle, {10, 10}, {60, 40}, kRed, 3),
                          Make(MarkKind::Step, {30, 25}, {}, kRed, 2, "", 1)};
  struct Case {
    double x, y;
    int index;
    MarkPart part;
  } cases[] = {
      {10.5, 25, 0, MarkPart::Body},  // the rectangle's edge
      {45, 35, -1, MarkPart::None},   // its inside: clicks go through
      {60.5, 40.5, 0, MarkPart::HandleB}, {10, 10, 0, MarkPart::HandleA},
      {30, 25, 1, MarkPart::Body},  // the step, above the rectangle
  };
  for (const Case& c : cases) {
    const auto hit = HitMarks(marks, c.x, c.y, 1);
    EXPECT_EQ(hit ? hit->index : -1, c.index) << c.x << "," << c.y;
    if (hit) {
      EXPECT_EQ(hit->part, c.part) << c.x << "," << c.y;
    }
  }
  // At 250 % a view point maps to the picture point the hit test sees.
  ViewModel view;
  view.Reset(200, 120);
  ASSERT_EQ(view.ZoomTo(250), ZoomOutcome::Zoomed);
  const int viewX = view.ToView(10) + 1, viewY = view.ToView(25);
  const auto zoomedHit =
      HitMarks(marks, viewX / view.zoomFactor, viewY / view.zoomFactor, 2 / view.zoomFactor);
  ASSERT_TRUE(zoomedHit);
  EXPECT_EQ(zoomedHit->index, 0);
  // And the picture drawn at picture size shows the edge there when zoomed.
  Image image(200, 120, kWhite);
  DrawMarks(image, marks, Blocks);
  std::vector<uint32_t> shown(500 * 300);
  view.Render(image.pixels.data(), 0, 0, 500, 300, shown.data());
  EXPECT_EQ(shown[static_cast<size_t>(viewY) * 500 + viewX], kRed);
  EXPECT_EQ(shown[static_cast<size_t>(viewY) * 500 + view.ToView(45)], kWhite);

  MoveMark(marks[0], 5, -3);
  EXPECT_FALSE(HitMarks(marks, 10.5, 25, 1));
  EXPECT_EQ(HitMarks(marks, 15.5, 22, 1)->index, 0);
  DragHandle(marks[0], MarkPart::HandleB, {100, 90});
  EXPECT_EQ(marks[0].b, (MarkPoint{100, 90}));
  EXPECT_EQ(HitMarks(marks, 100, 60, 1)->index, 0);
  EXPECT_EQ(NextStepNumber(marks), 2);
}

}  // namespace
}  // namespace vistlib
