// The capture area selector: Mainform shown with its option buttons, zoom box
// and the zoomed, scrolled view of the capture.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "dpi_win.h"
#include "gdi_handles_win.h"
#include "mainform_win.h"
#include "shell_forms_win.h"
#include "number_text.h"
#include "shell_ids.h"
#include "shell_state.h"
#include "window_thunk_win.h"
#include "wizard_win.h"

namespace vistrel {

namespace {

constexpr char kProjektionClass[] = "VistrelProjektion";
constexpr int kPanelHeight = 72;  // Picture1, the top panel
constexpr int kZoomMin = 10;
constexpr int kZoomMax = 1600;
const char* const kZoomList[] = {"50",  "75",  "80",  "100", "125", "150",
                                 "200", "300", "400", "500", "600"};

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
           int id, HINSTANCE instance, HFONT font) {
  HWND child =
      CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (child && font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

// Enter in the zoom box applies the typed zoom.
LRESULT CALLBACK ZoomEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  if (message == WM_CHAR && wParam == VK_RETURN) return 0;
  if (message == WM_KEYDOWN && wParam == VK_RETURN) {
    HWND combo = GetParent(edit);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(combo));
    return 0;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

SCROLLINFO Info(UINT mask) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = mask;
  return info;
}

int ScrollPos(HWND bar) {
  SCROLLINFO info = Info(SIF_POS);
  GetScrollInfo(bar, SB_CTL, &info);
  return info.nPos;
}

}  // namespace

void Mainform::CreateSelectorControls() {
  WNDCLASSA viewClass{};
  viewClass.lpfnWndProc = WindowThunk<Mainform, &Mainform::HandleProjektion>;
  viewClass.hInstance = instance_;
  viewClass.lpszClassName = kProjektionClass;
  viewClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  RegisterClassA(&viewClass);

  topFrame_ =
      Child(window_, "BUTTON", "Area", BS_GROUPBOX, 0, 0, 0, 0, ids::kTopFrame, instance_, nullptr);
  // Two rows: the three first options, and under them the pointer's monitor.
  const char* const captions[kAreaModes] = {"&full screen", "active window", "cursor selection",
                                            "monitor under the pointer"};
  for (int i = 0; i < kAreaModes; ++i) {
    auswahl_[i] = Child(window_, "BUTTON", captions[i],
                        BS_AUTORADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0), 0, 0, 0, 0,
                        ids::kAuswahl0 + i, instance_, nullptr);
  }
  zoomFrame_ = Child(window_, "BUTTON", "Zoom", BS_GROUPBOX, 0, 0, 0, 0, ids::kZoomFrame, instance_,
                     nullptr);
  zoom_ = Child(window_, "COMBOBOX", "100", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, 0,
                0, 0, ids::kZoom, instance_, nullptr);
  for (const char* entry : kZoomList) {
    SendMessageA(zoom_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  SetWindowTextA(zoom_, "100");
  COMBOBOXINFO comboInfo{};
  comboInfo.cbSize = sizeof comboInfo;
  if (GetComboBoxInfo(zoom_, &comboInfo) && comboInfo.hwndItem) {
    SetWindowSubclass(comboInfo.hwndItem, ZoomEditProc, 1, 0);
  }
  zoomScroll_ =
      Child(window_, "SCROLLBAR", "", SBS_VERT, 0, 0, 0, 0, ids::kZoomScroll, instance_, nullptr);
  SCROLLINFO zoomRange = Info(SIF_RANGE | SIF_POS | SIF_PAGE);
  zoomRange.nMin = kZoomMin;
  zoomRange.nMax = kZoomMax;
  zoomRange.nPos = 100;
  SetScrollInfo(zoomScroll_, SB_CTL, &zoomRange, FALSE);
  ok_ = Child(window_, "BUTTON", "&Back to Vistrel Wizard", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0,
              ids::kOk, instance_, nullptr);

  // The view at the left edge, directly under the top panel.
  projektion_ = CreateWindowExA(
      WS_EX_CLIENTEDGE, kProjektionClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kProjektion)), instance_, this);
  hScroll_ =
      Child(window_, "SCROLLBAR", "", SBS_HORZ, 0, 0, 10, 10, ids::kHScroll, instance_, nullptr);
  vScroll_ =
      Child(window_, "SCROLLBAR", "", SBS_VERT, 0, 0, 10, 10, ids::kVscroll, instance_, nullptr);
  Button_SetCheck(auswahl_[0], BST_CHECKED);
  PlaceSelectorControls(WindowDpi(window_));
}

// The top panel laid out at `dpi`: its font and places, drawn for 96 dpi, scaled.
void Mainform::PlaceSelectorControls(int dpi) {
  dpi_ = dpi;
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
  Font font(CreateFontIndirectA(&metrics.lfMessageFont));
  for (HWND control :
       {topFrame_, auswahl_[0], auswahl_[1], auswahl_[2], auswahl_[3], zoomFrame_, zoom_, ok_}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  }
  font_ = std::move(font);

  auto place = [dpi](HWND control, int x, int y, int w, int h) {
    MoveWindow(control, Scaled(x, dpi), Scaled(y, dpi), Scaled(w, dpi), Scaled(h, dpi), TRUE);
  };
  const int xs[kAreaModes] = {14, 124, 244, 14};
  const int ys[kAreaModes] = {18, 18, 18, 42};
  const int ws[kAreaModes] = {104, 114, 130, 230};
  for (int i = 0; i < kAreaModes; ++i) place(auswahl_[i], xs[i], ys[i], ws[i], 22);
  place(zoomFrame_, 386, 6, 128, kPanelHeight - 14);
  place(zoom_, 398, 28, 72, 300);
  place(zoomScroll_, 476, 24, 20, 34);
  place(ok_, 530, 24, 190, 30);
  FormResize();
}

void Mainform::FormResize() {
  if (!projektion_) return;
  RECT client;
  GetClientRect(window_, &client);
  const int sbW = GetSystemMetrics(SM_CXVSCROLL);
  const int sbH = GetSystemMetrics(SM_CYHSCROLL);
  const int panelHeight = Scaled(kPanelHeight, dpi_);
  // The top panel's frame spans the panel.
  MoveWindow(topFrame_, 0, 0, client.right, panelHeight - Scaled(4, dpi_), TRUE);
  const int viewW = std::max(0, static_cast<int>(client.right) - sbW);
  const int viewH = std::max(0, static_cast<int>(client.bottom) - panelHeight - sbH);
  MoveWindow(projektion_, 0, panelHeight, viewW, viewH, TRUE);
  MoveWindow(vScroll_, viewW, panelHeight, sbW, viewH, TRUE);
  MoveWindow(hScroll_, 0, panelHeight + viewH, viewW, sbH, TRUE);
  if (viewRendered_) ZoomChange();
}

SelectorGeometry Mainform::Geometry() const {
  RECT inner{};
  GetClientRect(projektion_, &inner);
  SelectorGeometry g;
  g.twipsPerPixelX = TwipsPerPixelX;
  g.twipsPerPixelY = TwipsPerPixelY;
  g.viewWidthTwips = inner.right * g.twipsPerPixelX;
  g.viewHeightTwips = inner.bottom * g.twipsPerPixelY;
  g.captureWidthTwips = screenWidth_ * g.twipsPerPixelX;
  g.captureHeightTwips = screenHeight_ * g.twipsPerPixelY;
  return g;
}

// The bars hold 0..|max|; the selector counts 0 down to max.
Scroll Mainform::ScrollValues() const { return {-ScrollPos(hScroll_), -ScrollPos(vScroll_)}; }

void Mainform::SetScrollRange(HWND bar, const ScrollRange& range) {
  SCROLLINFO info = Info(SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL);
  info.nMin = 0;
  info.nMax = -range.max;
  info.nPage = 0;
  info.nPos = std::min(ScrollPos(bar), -range.max);
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
  // The changes travel with the bar.
  SetPropA(bar, "LargeChange", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(range.largeChange)));
  SetPropA(bar, "SmallChange", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(range.smallChange)));
}

void Mainform::OnScroll(HWND bar, int code) {
  if (bar == zoomScroll_) {
    SCROLLINFO info = Info(SIF_ALL);
    GetScrollInfo(bar, SB_CTL, &info);
    int pos = info.nPos;
    switch (code) {
      case SB_LINEUP:
        pos -= 5;
        break;
      case SB_LINEDOWN:
        pos += 5;
        break;
      case SB_PAGEUP:
        pos -= 25;
        break;
      case SB_PAGEDOWN:
        pos += 25;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        pos = info.nTrackPos;
        break;
      default:
        return;
    }
    pos = std::clamp(pos, kZoomMin, kZoomMax);
    SetScrollPos(bar, SB_CTL, pos, TRUE);
    ZoomScrollChange(pos);
    return;
  }
  if (bar != hScroll_ && bar != vScroll_) return;
  SCROLLINFO info = Info(SIF_ALL);
  GetScrollInfo(bar, SB_CTL, &info);
  const int large = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(bar, "LargeChange")));
  const int small = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(bar, "SmallChange")));
  int pos = info.nPos;
  switch (code) {
    case SB_LINEUP:
      pos -= std::max(small, 1);
      break;
    case SB_LINEDOWN:
      pos += std::max(small, 1);
      break;
    case SB_PAGEUP:
      pos -= std::max(large, 1);
      break;
    case SB_PAGEDOWN:
      pos += std::max(large, 1);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = info.nTrackPos;
      break;
    case SB_TOP:
      pos = info.nMin;
      break;
    case SB_BOTTOM:
      pos = info.nMax;
      break;
    default:
      return;
  }
  pos = std::clamp(pos, info.nMin, info.nMax);
  if (pos == info.nPos) return;
  SetScrollPos(bar, SB_CTL, pos, TRUE);
  ZoomChange();
}

std::string Mainform::ZoomText() const {
  char text[64] = "";
  GetWindowTextA(zoom_, text, sizeof text);
  return text;
}

void Mainform::SetZoomText(const std::string& text) { SetWindowTextA(zoom_, text.c_str()); }

void Mainform::ZoomScrollChange(int value) {
  if (value != ZoomPercent(ZoomText())) {
    SetZoomText(std::to_string(value));
    ZoomChange();
  }
}

void Mainform::ZoomChange() {
  viewRendered_ = false;
  if (ZoomPercent(ZoomText()) == 0) SetZoomText("100");
  const double percent = ZoomPercent(ZoomText());
  const double z = percent / 100;
  const int rounded = RoundToInt32(percent).value_or(100);
  if (ScrollPos(zoomScroll_) != rounded) SetScrollPos(zoomScroll_, SB_CTL, rounded, TRUE);
  const SelectorGeometry g = Geometry();
  // The zoomed capture must fill the view.
  if (!ZoomFillsView(g, z) || z <= 0) {
    if (ZoomText() == previousZoom_) {
      MessageBeep(MB_OK);
      return;
    }
    RestorePreviousZoom();
    // A list pick is written into the box after its notification: put ours back after it.
    PostMessageA(window_, ids::kRestoreZoomMessage, 0, 0);
    // The view is drawn again at the zoom that came back, not left grey.
    if (ZoomFillsView(g, ZoomPercent(previousZoom_) / 100)) ZoomChange();
    return;
  }
  shapeVisible_ = false;
  SetScrollRange(hScroll_, HorizontalRange(g, z));
  SetScrollRange(vScroll_, VerticalRange(g, z));
  stretch_ = ComputeStretch(g, z, ScrollValues());
  shape_ = ShapeForCropStyle(wizard::CropStyle(), g, z, ScrollValues());
  shapeVisible_ = true;
  viewRendered_ = true;
  previousZoom_ = ZoomText();
  InvalidateRect(projektion_, nullptr, FALSE);
}

void Mainform::RestorePreviousZoom() {
  const LRESULT entry = SendMessageA(zoom_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(previousZoom_.c_str()));
  SendMessageA(zoom_, CB_SETCURSEL, entry == CB_ERR ? static_cast<WPARAM>(-1) : entry, 0);
  SetZoomText(previousZoom_);
  SetScrollPos(zoomScroll_, SB_CTL, RoundToInt32(ZoomPercent(previousZoom_)).value_or(100), TRUE);
}

void Mainform::AuswahlClick(int mode) {
  areaMode_ = mode;
  wizard::SetCropStyle(CropStyleForAreaMode(mode));
  ZoomChange();
  const TwipsRect& area = mode == 0   ? FullScreenTwips
                          : mode == 1 ? ActiveWindowTwips
                          : mode == 3 ? PointerMonitorTwips
                                      : SelectionTwips;
  wizard::SetCropRect(area);
}

void Mainform::ApplyAreaChoice(int mode) {
  if (mode < 0 || mode >= kAreaModes) mode = 0;
  for (int i = 0; i < kAreaModes; ++i)
    Button_SetCheck(auswahl_[i], i == mode ? BST_CHECKED : BST_UNCHECKED);
  AuswahlClick(mode);
}

void Mainform::ClearScreenPicture() {
  screenPicture_.reset();
  shapeVisible_ = false;
}

int Mainform::ShowSelectorModal(HWND owner, int auswahl, HBITMAP wholePic) {
  ClearScreenPicture();
  if (wholePic) {
    screenPicture_.reset(static_cast<HBITMAP>(CopyImage(wholePic, IMAGE_BITMAP, 0, 0, 0)));
    BITMAP info{};
    if (screenPicture_ && GetObject(screenPicture_.get(), sizeof info, &info)) {
      screenWidth_ = info.bmWidth;
      screenHeight_ = info.bmHeight;
    }
  }
  SetWindowTextA(window_, "Autocropping Selector");
  ApplyAreaChoice(auswahl);
  // The view shows the picture just given.
  SetScrollPos(vScroll_, SB_CTL, ScrollPos(vScroll_), TRUE);
  ZoomChange();
  // A capture of several monitors opens at the one the pointer was on.
  const TwipsRect& monitor = PointerMonitorTwips;
  if (wholePic && monitor.width > 0 && monitor.height > 0 && !(monitor == FullScreenTwips)) {
    SetScrollPos(hScroll_, SB_CTL, RoundToInt32(monitor.left / TwipsPerPixelX).value_or(0), TRUE);
    SetScrollPos(vScroll_, SB_CTL, RoundToInt32(monitor.top / TwipsPerPixelY).value_or(0), TRUE);
    ZoomChange();
  }

  HWND wizardWindow = owner ? owner : wizard::WizardWindow();
  if (wizardWindow) EnableWindow(wizardWindow, FALSE);
  selectorOpen_ = true;
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  MSG message;
  while (selectorOpen_) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (!IsDialogMessageA(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  selectorOpen_ = false;
  if (wizardWindow) {
    EnableWindow(wizardWindow, TRUE);
    SetForegroundWindow(wizardWindow);
  }
  return CropStyleForAreaMode(areaMode_);
}

LRESULT Mainform::HandleProjektion(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  const double tx = TwipsPerPixelX;
  const double ty = TwipsPerPixelY;
  switch (message) {
    case WM_PAINT:
      PaintProjektion(view);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursor(nullptr, areaMode_ == 2 ? IDC_CROSS : IDC_NO));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      if (areaMode_ == 2) {
        SetCapture(view);
        drag_.Press(GET_X_LPARAM(lParam) * tx, GET_Y_LPARAM(lParam) * ty);
        shape_ = drag_.Outline();
        shapeVisible_ = true;
        InvalidateRect(view, nullptr, FALSE);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (drag_.Dragging()) {
        drag_.Move(GET_X_LPARAM(lParam) * tx, GET_Y_LPARAM(lParam) * ty);
        shape_ = drag_.Outline();
        InvalidateRect(view, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (drag_.Dragging()) {
        if (message == WM_LBUTTONUP) ReleaseCapture();
        const double z = ZoomPercent(previousZoom_) / 100;
        ShapeRect crop = drag_.Release(Geometry(), z > 0 ? z : 1, ScrollValues());
        LastSelectorOutline = {shape_.left, shape_.top, shape_.width, shape_.height, tx, ty};
        SelectionTwips = ToTwipsRect(crop);
        wizard::SetCropRect(SelectionTwips);
      }
      return 0;
  }
  return DefWindowProcA(view, message, wParam, lParam);
}

void Mainform::PaintProjektion(HWND view) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(view, &ps);
  RECT client;
  GetClientRect(view, &client);
  {
    MemoryDc memory(CreateCompatibleDC(dc));
    Bitmap frame(
        CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom)));
    SelectGuard frameSelected(memory.get(), frame.get());
    FillRect(memory.get(), &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    if (screenPicture_ && viewRendered_) {
      MemoryDc source(CreateCompatibleDC(dc));
      SelectGuard pictureSelected(source.get(), screenPicture_.get());
      SetStretchBltMode(memory.get(), COLORONCOLOR);
      StretchBlt(memory.get(), 0, 0, stretch_.destWidth, stretch_.destHeight, source.get(),
                 stretch_.srcX, stretch_.srcY, stretch_.srcWidth, stretch_.srcHeight, SRCCOPY);
    }
    if (shapeVisible_) {
      const double tx = TwipsPerPixelX;
      const double ty = TwipsPerPixelY;
      const int l = static_cast<int>(std::lround(shape_.left / tx));
      const int t = static_cast<int>(std::lround(shape_.top / ty));
      const int r = static_cast<int>(std::lround((shape_.left + shape_.width) / tx));
      const int b = static_cast<int>(std::lround((shape_.top + shape_.height) / ty));
      // A light line under a dark dashed one shows on any picture.
      const Pen light(CreatePen(PS_SOLID, 3, RGB(255, 255, 255)));
      const Pen dark(CreatePen(PS_DASH, 1, RGB(200, 0, 0)));
      SelectGuard hollow(memory.get(), GetStockObject(NULL_BRUSH));
      {
        SelectGuard pen(memory.get(), light.get());
        Rectangle(memory.get(), l, t, r + 1, b + 1);
      }
      SelectGuard pen(memory.get(), dark.get());
      SetBkMode(memory.get(), TRANSPARENT);
      Rectangle(memory.get(), l, t, r + 1, b + 1);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  }
  EndPaint(view, &ps);
}

}  // namespace vistrel
