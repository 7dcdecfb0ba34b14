#pragma once
// The tool-bar pictures, 18 x 18, drawn by code.
#include <windows.h>

#include <cstdint>

#include "gdi_win.h"

namespace vistlib {

enum Glyph {
  kGlyphFill, kGlyphBorder, kGlyphCrop, kGlyphReduce, kGlyphMagic, kGlyphManual, kGlyphActive,
  kGlyphFullScreen, kGlyphDiscard, kGlyphMulti, kGlyphZoomIn, kGlyphZoomOut, kGlyphExactZoom,
  kGlyphRedact, kGlyphUndo, kGlyphRedo, kGlyphArrow, kGlyphRectangle, kGlyphEllipse, kGlyphText,
  kGlyphHighlighter, kGlyphStep, kGlyphWidth, kGlyphColour, kGlyphCount
};

constexpr int kGlyphSize = 18;
constexpr COLORREF kGlyphTransparent = RGB(19, 19, 91);

// A colour value of the editor (a system colour when the high bit is set) as RGB.
COLORREF ResolveColour(uint32_t colour);

// The colour dialog, opened on `colour`; false when cancelled.
bool PickEditorColour(HWND owner, uint32_t& colour);

Bitmap DrawGlyph(Glyph glyph);
// The fill button's picture: black, the fill colour inside, the bucket on top.
Bitmap FillGlyph(uint32_t fillColour);
// The mark colour button's picture: a swatch of the colour.
Bitmap ColourGlyph(uint32_t colour);
// The line width button's picture: a line of that width.
Bitmap WidthGlyph(int width);
// The border button's picture: a line of the border's colour and width.
Bitmap BorderGlyph(uint32_t borderColour, int width);

}  // namespace vistlib
