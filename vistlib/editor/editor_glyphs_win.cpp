#include "editor_glyphs_win.h"

#include <algorithm>
#include <functional>

#include <commdlg.h>

namespace vistlib {
namespace {

using GdiObject = GdiHandle<HGDIOBJ, GdiObjectTraits>;

// Draws on an 18 x 18 bitmap whose transparent colour is then replaced by
// the button face, so the tool bar needs no mask.
Bitmap Canvas(const std::function<void(HDC)>& draw) {
  WindowDc screen(nullptr);
  Bitmap bitmap(CreateCompatibleBitmap(screen.get(), kGlyphSize, kGlyphSize));
  MemoryDc dc(CreateCompatibleDC(screen.get()));
  if (!bitmap || !dc) return bitmap;
  SelectGuard select(dc.get(), bitmap.get());
  GdiObject face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  RECT all{0, 0, kGlyphSize, kGlyphSize};
  FillRect(dc.get(), &all, reinterpret_cast<HBRUSH>(face.get()));
  draw(dc.get());
  return bitmap;
}

void Box(HDC dc, int l, int t, int r, int b, COLORREF fill) {
  GdiObject brush(CreateSolidBrush(fill));
  RECT rect{l, t, r, b};
  FillRect(dc, &rect, reinterpret_cast<HBRUSH>(brush.get()));
}

void Frame(HDC dc, int l, int t, int r, int b, COLORREF colour, int width = 1, int style = PS_SOLID) {
  GdiObject pen(CreatePen(style, width, colour));
  SelectGuard selectPen(dc, pen.get());
  SelectGuard selectBrush(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, l, t, r, b);
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour, int width = 1) {
  GdiObject pen(CreatePen(PS_SOLID, width, colour));
  SelectGuard selectPen(dc, pen.get());
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

void Magnifier(HDC dc, bool plus) {
  GdiObject pen(CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
  SelectGuard selectPen(dc, pen.get());
  SelectGuard selectBrush(dc, GetStockObject(WHITE_BRUSH));
  Ellipse(dc, 1, 1, 12, 12);
  Line(dc, 10, 10, 16, 16, RGB(0, 0, 0), 3);
  Line(dc, 4, 6, 9, 6, RGB(0, 0, 0));
  if (plus) Line(dc, 6, 4, 6, 9, RGB(0, 0, 0));
}

}  // namespace

bool PickEditorColour(HWND owner, uint32_t& colour) {
  static COLORREF customColours[16] = {};
  CHOOSECOLORA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.rgbResult = ResolveColour(colour);
  dialog.lpCustColors = customColours;
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorA(&dialog)) return false;
  colour = dialog.rgbResult & 0xFFFFFF;
  return true;
}

COLORREF ResolveColour(uint32_t colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return colour & 0xFFFFFF;
}

Bitmap DrawGlyph(Glyph glyph) {
  const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255), blue = RGB(0, 0, 160);
  return Canvas([&](HDC dc) {
    switch (glyph) {
      case kGlyphFill:
      case kGlyphBorder:
        break;  // drawn with their colours by FillGlyph and BorderGlyph
      case kGlyphCrop:
        Line(dc, 4, 1, 4, 14, black, 2);
        Line(dc, 1, 4, 14, 4, black, 2);
        Line(dc, 13, 4, 13, 17, black, 2);
        Line(dc, 4, 13, 17, 13, black, 2);
        break;
      case kGlyphReduce:
        Box(dc, 1, 1, 9, 9, RGB(255, 0, 0));
        Box(dc, 9, 1, 17, 9, RGB(0, 160, 0));
        Box(dc, 1, 9, 9, 17, RGB(128, 128, 128));
        Box(dc, 9, 9, 17, 17, black);
        break;
      case kGlyphMagic:
        Box(dc, 2, 2, 16, 16, white);
        Box(dc, 2, 2, 16, 5, blue);
        Frame(dc, 2, 2, 16, 16, black);
        Line(dc, 6, 8, 12, 14, black, 2);
        break;
      case kGlyphManual:
        Frame(dc, 2, 3, 16, 15, black, 1, PS_DOT);
        Line(dc, 9, 6, 9, 12, black);
        Line(dc, 6, 9, 12, 9, black);
        break;
      case kGlyphActive:
        Box(dc, 1, 3, 17, 15, white);
        Box(dc, 1, 3, 17, 7, blue);
        Frame(dc, 1, 3, 17, 15, black);
        break;
      case kGlyphFullScreen:
        Box(dc, 1, 2, 17, 13, RGB(0, 128, 128));
        Frame(dc, 1, 2, 17, 13, black);
        Box(dc, 7, 13, 11, 15, black);
        Box(dc, 4, 15, 14, 17, black);
        break;
      case kGlyphDiscard:
        Frame(dc, 2, 2, 16, 16, RGB(128, 128, 128), 1, PS_DOT);
        Line(dc, 4, 4, 14, 14, RGB(192, 0, 0), 2);
        Line(dc, 14, 4, 4, 14, RGB(192, 0, 0), 2);
        break;
      case kGlyphMulti:
        Box(dc, 1, 1, 11, 11, white);
        Frame(dc, 1, 1, 11, 11, black);
        Box(dc, 7, 7, 17, 17, white);
        Frame(dc, 7, 7, 17, 17, black);
        break;
      case kGlyphZoomIn:
      case kGlyphZoomOut:
        Magnifier(dc, glyph == kGlyphZoomIn);
        break;
      case kGlyphExactZoom:
        Magnifier(dc, true);
        Line(dc, 13, 1, 17, 1, blue);
        Line(dc, 13, 4, 17, 4, blue);
        break;
      case kGlyphRedact:
        // A line of text with a black bar over its middle.
        Line(dc, 1, 4, 17, 4, RGB(128, 128, 128));
        Line(dc, 1, 14, 17, 14, RGB(128, 128, 128));
        Box(dc, 1, 7, 17, 12, black);
        break;
      case kGlyphUndo:
      case kGlyphRedo: {
        // A curved arrow turning back (undo) or forward (redo).
        const bool back = glyph == kGlyphUndo;
        GdiObject pen(CreatePen(PS_SOLID, 2, blue));
        SelectGuard selectPen(dc, pen.get());
        Arc(dc, 3, 5, 15, 17, back ? 15 : 3, 11, back ? 3 : 15, 11);
        POINT head[] = {{back ? 1 : 17, 11}, {back ? 7 : 11, 11}, {back ? 4 : 14, 6}};
        SelectGuard selectBrush(dc, GetStockObject(BLACK_BRUSH));
        Polygon(dc, head, 3);
        break;
      }
      case kGlyphArrow: {
        Line(dc, 3, 15, 14, 4, black, 2);
        POINT head[] = {{16, 2}, {9, 4}, {14, 9}};
        SelectGuard selectBrush(dc, GetStockObject(BLACK_BRUSH));
        Polygon(dc, head, 3);
        break;
      }
      case kGlyphRectangle: Frame(dc, 2, 4, 16, 14, RGB(192, 0, 0), 2); break;
      case kGlyphEllipse: {
        GdiObject pen(CreatePen(PS_SOLID, 2, RGB(192, 0, 0)));
        SelectGuard selectPen(dc, pen.get());
        SelectGuard selectBrush(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, 1, 3, 17, 15);
        break;
      }
      case kGlyphText: {
        Line(dc, 3, 3, 15, 3, black, 2);
        Line(dc, 9, 3, 9, 16, black, 2);
        break;
      }
      case kGlyphHighlighter:
        Box(dc, 1, 6, 17, 12, RGB(255, 255, 0));
        Line(dc, 2, 9, 16, 9, black);
        break;
      case kGlyphStep: {
        GdiObject brush(CreateSolidBrush(RGB(192, 0, 0)));
        SelectGuard selectBrush(dc, brush.get());
        SelectGuard selectPen(dc, GetStockObject(NULL_PEN));
        Ellipse(dc, 1, 1, 18, 18);
        Line(dc, 9, 5, 9, 14, white, 2);
        Line(dc, 7, 7, 9, 5, white, 2);
        break;
      }
      case kGlyphWidth:
      case kGlyphColour:
        break;  // drawn with their values by WidthGlyph and ColourGlyph
      case kGlyphCount:
        break;
    }
  });
}

Bitmap FillGlyph(uint32_t fillColour) {
  return Canvas([&](HDC dc) {
    Box(dc, 0, 0, kGlyphSize, kGlyphSize, RGB(0, 0, 0));
    Box(dc, 1, 1, 17, 17, ResolveColour(fillColour));
    // The bucket (ImgColorFill): a tilted pail with a drop, outlined so it
    // shows on any colour.
    POINT pail[] = {{4, 7}, {9, 2}, {14, 7}, {9, 12}};
    GdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    SelectGuard selectPen(dc, pen.get());
    SelectGuard selectBrush(dc, GetStockObject(WHITE_BRUSH));
    Polygon(dc, pail, 4);
    Box(dc, 13, 9, 15, 14, RGB(0, 0, 0));
  });
}

Bitmap ColourGlyph(uint32_t colour) {
  return Canvas([&](HDC dc) {
    Box(dc, 1, 1, 17, 17, RGB(0, 0, 0));
    Box(dc, 2, 2, 16, 16, ResolveColour(colour));
  });
}

Bitmap WidthGlyph(int width) {
  return Canvas([&](HDC dc) {
    Box(dc, 1, 9 - width / 2, 17, 9 - width / 2 + std::max(width, 1), RGB(0, 0, 0));
  });
}

Bitmap BorderGlyph(uint32_t borderColour, int width) {
  return Canvas([&](HDC dc) {
    Frame(dc, 0, 0, kGlyphSize, kGlyphSize, RGB(0, 0, 0));
    if (width > 0) {
      GdiObject pen(CreatePen(PS_SOLID, width, ResolveColour(borderColour)));
      SelectGuard selectPen(dc, pen.get());
      HRGN clip = CreateRectRgn(1, 1, 17, 17);
      SelectClipRgn(dc, clip);
      MoveToEx(dc, 1, 9, nullptr);
      LineTo(dc, 17, 9);
      SelectClipRgn(dc, nullptr);
      DeleteObject(clip);
    }
  });
}

}  // namespace vistlib
