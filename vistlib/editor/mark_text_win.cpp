#include "mark_text_win.h"

#include "dib_info_win.h"
#include "gdi_win.h"

namespace vistlib {

MarkTextWin::~MarkTextWin() {
  for (auto& [height, font] : fonts_) DeleteObject(font);
}

HFONT MarkTextWin::Font(int pixelHeight) {
  auto found = fonts_.find(pixelHeight);
  if (found != fonts_.end()) return found->second;
  // A positive height is the cell's: lines of text stack pixelHeight apart.
  HFONT font =
      CreateFontA(pixelHeight, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial");
  fonts_[pixelHeight] = font;
  return font;
}

Coverage MarkTextWin::Render(const std::string& line, int pixelHeight) {
  Coverage coverage;
  if (line.empty() || pixelHeight <= 0) return coverage;
  WindowDc screen(nullptr);
  MemoryDc dc(CreateCompatibleDC(screen.get()));
  if (!dc) return coverage;
  SelectGuard selectFont(dc.get(), Font(pixelHeight));
  SIZE size{};
  if (!GetTextExtentPoint32A(dc.get(), line.data(), static_cast<int>(line.size()), &size))
    return coverage;
  // Italic overhang and anti-aliased edges can reach a little past the extent.
  const int width = size.cx + pixelHeight / 4, height = pixelHeight;
  BITMAPINFO info = vistrel::TopDown32(width, height);
  void* bits = nullptr;
  Bitmap section(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section) return coverage;
  SelectGuard selectBitmap(dc.get(), section.get());
  RECT all{0, 0, width, height};
  FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(dc.get(), TRANSPARENT);
  SetTextColor(dc.get(), RGB(255, 255, 255));
  TextOutA(dc.get(), 0, 0, line.data(), static_cast<int>(line.size()));
  GdiFlush();
  coverage.width = width;
  coverage.height = height;
  coverage.alpha.resize(static_cast<size_t>(width) * height);
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < coverage.alpha.size(); ++i) {
    // Grey anti-aliasing gives equal channels; sub-pixel text is averaged.
    const uint32_t p = pixels[i];
    coverage.alpha[i] = static_cast<uint8_t>(((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 3);
  }
  return coverage;
}

}  // namespace vistlib
