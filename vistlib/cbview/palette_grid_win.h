#pragma once
// TPaletteGrid: the cells of a palette, 20 pixels square, with a vertical
// scroll bar; a click selects an entry.
#include <windows.h>

#include <vector>

#include "gdi_win.h"
#include "palette_grid_layout.h"

namespace vistlib::cbview {

// The entries of a palette (at most 256), read at once.
std::vector<PaletteColor> PaletteColors(HPALETTE palette);

class TPaletteGrid {
 public:
  TPaletteGrid(HWND parent, const RECT& place);
  ~TPaletteGrid();
  TPaletteGrid(const TPaletteGrid&) = delete;
  TPaletteGrid& operator=(const TPaletteGrid&) = delete;

  HWND Handle() const { return window_; }
  // Keeps a copy of the palette's entries and lays the cells out again.
  void TakePalette(const std::vector<PaletteColor>& entries);
  const PaletteGridModel& Model() const { return model_; }

 private:
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;

  void Relayout();
  void Paint(HDC dc);
  void DrawCell(HDC dc, const RECT& cell, int entry);
  void ScrollTo(int position);
  void Select(int entry);

  PaletteGridModel model_;
  Palette palette_;
  int scrollY_ = 0;
  int selected_ = 0;
};

}  // namespace vistlib::cbview
