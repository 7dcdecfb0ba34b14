#pragma once
// Annotation marks: arrows, boxes, ellipses, text, highlighter strokes and
// numbered steps, kept as objects over the picture until the editor closes.
// Hit testing, moving and resizing work in picture pixels; rendering draws
// them anti-aliased into a picture-sized pixel buffer, whatever the zoom.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "edit_image.h"
#include "rect.h"

namespace vistlib {

enum class MarkKind { Arrow, Rectangle, Ellipse, Text, Highlighter, Step };

struct MarkPoint {
  int x = 0;
  int y = 0;
  bool operator==(const MarkPoint&) const = default;
};

struct Mark {
  MarkKind kind = MarkKind::Rectangle;
  // Arrow: tail a, head b. Rectangle, ellipse, highlighter: two opposite
  // corners. Text: a is the top left, b the bottom right of its laid-out
  // lines. Step: a is the centre.
  MarkPoint a, b;
  uint32_t colour = 0xFF0000;  // a pixel, 0x00RRGGBB
  int width = 3;               // line width; text and steps grow with it
  std::string text;            // Text: lines split by '\n'
  int number = 0;              // Step
  bool operator==(const Mark&) const = default;
};

// An 8-bit coverage mask: how much of each pixel a glyph run covers.
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> alpha;
};

// Turns one line of text into a coverage mask `pixelHeight` pixels high; the
// Windows side uses the system's anti-aliased font rasteriser.
using TextRasteriser = std::function<Coverage(const std::string& line, int pixelHeight)>;

int TextPixelHeight(const Mark& mark);
int StepRadius(const Mark& mark);

// The picture pixels a mark can touch when drawn (its anti-aliased edge and
// arrow head included).
vistrel::Rect MarkBounds(const Mark& mark);

// Sets a text mark's b from its laid-out lines.
void LayoutText(Mark& mark, const TextRasteriser& rasterise);

// Which part of a mark a point (picture coordinates) hits.
enum class MarkPart { None, Body, HandleA, HandleB };

// The part of `mark` at `point`; `slack` picture pixels around thin lines and
// handles count (a few screen pixels at the current zoom).
MarkPart HitMark(const Mark& mark, double x, double y, double slack);
// The top-most mark at the point, with the part hit; nullopt when none.
struct MarkHit {
  int index;
  MarkPart part;
};
std::optional<MarkHit> HitMarks(const std::vector<Mark>& marks, double x, double y, double slack);

void MoveMark(Mark& mark, int dx, int dy);
// Moves handle a or b of a mark (a step's handle b sets its size).
void DragHandle(Mark& mark, MarkPart handle, MarkPoint to);

// Draws the marks, in order, into `target` where they meet `clip`.
void DrawMarks(Image& target, const std::vector<Mark>& marks, const TextRasteriser& rasterise,
               const vistrel::Rect& clip);
void DrawMarks(Image& target, const std::vector<Mark>& marks, const TextRasteriser& rasterise);

// `composite` (the size of `image`) made again inside `area`: the image's
// pixels there with the marks drawn over them. Returns the part of `area`
// inside the picture. Moving a mark costs its old and new place, not the
// whole picture.
vistrel::Rect RecomposeMarks(Image& composite, const Image& image, const std::vector<Mark>& marks,
                             const TextRasteriser& rasterise, const vistrel::Rect& area);

// The number the step tool puts next: one more than the highest step.
int NextStepNumber(const std::vector<Mark>& marks);

}  // namespace vistlib
