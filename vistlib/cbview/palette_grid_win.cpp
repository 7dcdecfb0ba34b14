#include "palette_grid_win.h"

#include <algorithm>
#include <vector>

#include "window_class_win.h"

namespace vistlib::cbview {
namespace {

constexpr char kClassName[] = "TPaletteGrid";

RECT Deflated(RECT rect, int by) {
  InflateRect(&rect, -by, -by);
  return rect;
}

void Fill(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

}  // namespace

TPaletteGrid::TPaletteGrid(HWND parent, const RECT& place) {
  RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW,
                      vistrel::WindowThunk<TPaletteGrid, &TPaletteGrid::OnMessage>);
  CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP, place.left,
                  place.top, place.right - place.left, place.bottom - place.top, parent, nullptr,
                  ModuleInstance(), this);
}

TPaletteGrid::~TPaletteGrid() {
  if (window_ != nullptr) DestroyWindow(window_);
}

std::vector<PaletteColor> PaletteColors(HPALETTE palette) {
  std::vector<PaletteColor> colors;
  WORD count = 0;
  if (palette == nullptr || GetObjectA(palette, sizeof count, &count) == 0) return colors;
  std::vector<PALETTEENTRY> entries(std::min<size_t>(count, kMaxEntries));
  if (!entries.empty())
    GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
  for (const PALETTEENTRY& entry : entries)
    colors.push_back({entry.peRed, entry.peGreen, entry.peBlue});
  return colors;
}

void TPaletteGrid::TakePalette(const std::vector<PaletteColor>& colors) {
  model_.Take(colors);
  // The grid's own palette, all 256 slots, for drawing the cells.
  std::vector<BYTE> block(sizeof(LOGPALETTE) + kMaxEntries * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = kMaxEntries;
  for (int i = 0; i < kMaxEntries; ++i) {
    const PaletteColor& slot = model_.Slot(i);
    logical->palPalEntry[i] = {slot.red, slot.green, slot.blue, 0};
  }
  palette_.reset(CreatePalette(logical));
  selected_ = 0;
  Relayout();
  HWND form = GetAncestor(window_, GA_ROOT);
  if (IsWindowVisible(window_) && form == GetActiveWindow())
    PostMessageA(form, WM_QUERYNEWPALETTE, 0, 0);
}

void TPaletteGrid::Relayout() {
  if (window_ == nullptr) return;
  // The width of the whole control, so the columns do not change when the
  // scroll bar comes and goes.
  RECT frame;
  GetWindowRect(window_, &frame);
  model_.Layout(frame.right - frame.left, GetSystemMetrics(SM_CXVSCROLL));
  RECT client;
  GetClientRect(window_, &client);
  SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, model_.Current().height - 1,
                  static_cast<UINT>(client.bottom), 0, 0};
  SetScrollInfo(window_, SB_VERT, &info, TRUE);
  ScrollTo(scrollY_);
}

void TPaletteGrid::ScrollTo(int position) {
  RECT client;
  GetClientRect(window_, &client);
  const int limit = std::max(0, model_.Current().height - static_cast<int>(client.bottom));
  scrollY_ = std::clamp(position, 0, limit);
  SetScrollPos(window_, SB_VERT, scrollY_, TRUE);
  InvalidateRect(window_, nullptr, TRUE);
}

void TPaletteGrid::Select(int entry) {
  selected_ = entry;
  InvalidateRect(window_, nullptr, FALSE);
}

void TPaletteGrid::DrawCell(HDC dc, const RECT& cell, int entry) {
  Fill(dc, cell, GetSysColor(COLOR_BTNFACE));
  // A sunken frame two pixels wide inside the button-face border.
  RECT frame = Deflated(cell, 1);
  for (int i = 0; i < 2; ++i) {
    const RECT ring = Deflated(frame, i);
    const RECT top{ring.left, ring.top, ring.right, ring.top + 1};
    const RECT left{ring.left, ring.top, ring.left + 1, ring.bottom};
    const RECT bottom{ring.left, ring.bottom - 1, ring.right, ring.bottom};
    const RECT right{ring.right - 1, ring.top, ring.right, ring.bottom};
    Fill(dc, top, GetSysColor(COLOR_BTNSHADOW));
    Fill(dc, left, GetSysColor(COLOR_BTNSHADOW));
    Fill(dc, bottom, GetSysColor(COLOR_BTNHIGHLIGHT));
    Fill(dc, right, GetSysColor(COLOR_BTNHIGHLIGHT));
  }
  const PaletteColor& color = model_.Slot(entry);
  Fill(dc, Deflated(frame, 2), PALETTERGB(color.red, color.green, color.blue));
  if (entry == selected_) {
    const RECT focus = Deflated(frame, 3);
    DrawFocusRect(dc, &focus);
  }
}

void TPaletteGrid::Paint(HDC dc) {
  HPALETTE oldPalette = palette_ ? SelectPalette(dc, palette_.get(), FALSE) : nullptr;
  if (palette_) RealizePalette(dc);
  RECT client;
  GetClientRect(window_, &client);
  const GridLayout& layout = model_.Current();
  for (int row = scrollY_ / kCellSize; row < layout.rows; ++row) {
    const int top = row * kCellSize - scrollY_;
    if (top >= client.bottom) break;
    for (int column = 0; column < layout.columns; ++column) {
      const RECT cell{column * kCellSize, top, (column + 1) * kCellSize, top + kCellSize};
      if (const auto entry = model_.EntryAt(column, row)) {
        DrawCell(dc, cell, *entry);
      } else {
        FillRect(dc, &cell, GetSysColorBrush(COLOR_WINDOW));
      }
    }
  }
  if (oldPalette != nullptr) SelectPalette(dc, oldPalette, FALSE);
}

LRESULT TPaletteGrid::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const KeptHandle kept(window_, window, message);
  switch (message) {
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      Paint(dc);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_VSCROLL: {
      int position = scrollY_;
      switch (LOWORD(wParam)) {
        case SB_LINEUP: position -= kCellSize; break;
        case SB_LINEDOWN: position += kCellSize; break;
        case SB_PAGEUP: position -= kCellSize * 4; break;
        case SB_PAGEDOWN: position += kCellSize * 4; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: position = HIWORD(wParam); break;
        case SB_TOP: position = 0; break;
        case SB_BOTTOM: position = model_.Current().height; break;
      }
      ScrollTo(position);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      SetFocus(window_);
      const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
      if (x >= 0 && y >= 0) {
        if (const auto entry = model_.EntryAt(x / kCellSize, (y + scrollY_) / kCellSize))
          Select(*entry);
      }
      return 0;
    }
    case WM_KEYDOWN: {
      const int columns = model_.Current().columns;
      int entry = selected_;
      if (wParam == VK_LEFT) entry -= 1;
      else if (wParam == VK_RIGHT) entry += 1;
      else if (wParam == VK_UP) entry -= columns;
      else if (wParam == VK_DOWN) entry += columns;
      if (entry != selected_ && entry >= 0 && entry < model_.Count()) Select(entry);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vistlib::cbview
