// The image panel of the editor: painting at the zoom, the mouse on the
// image, scrolling and zooming.
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "dpi_win.h"
#include "edit_form_win.h"
#include "editor_res.h"
#include "module_win.h"
#include "window_thunk_win.h"

namespace vistlib {
namespace {

constexpr int kLargeChange = 500 / kScrollStep;
// The exact zoom box: the percentage typed when it was closed with OK.
struct ExactZoomBox {
  std::string text;
  int dpi = 96;  // what the box is laid out for

  INT_PTR Message(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_DPICHANGED:
        vistrel::RescaleDialog(dialog, dpi, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        dpi = HIWORD(wParam);
        return TRUE;
      case WM_DESTROY:
        vistrel::ForgetDialogDpi(dialog);
        return FALSE;
      case WM_INITDIALOG:
        vistrel::TakeOverDialogDpi(dialog);
        dpi = vistrel::WindowDpi(dialog);
        SetDlgItemTextA(dialog, IDC_EXACTZOOM_EDIT, "100");
        SendDlgItemMessageA(dialog, IDC_EXACTZOOM_EDIT, EM_SETSEL, 0, -1);
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
          char typed[64] = {};
          GetDlgItemTextA(dialog, IDC_EXACTZOOM_EDIT, typed, sizeof typed);
          text = typed;
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        }
        return FALSE;
      default:
        return FALSE;
    }
  }
};

}  // namespace

LRESULT TVisEditForm::PanelMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(panel_, nullptr, FALSE);
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (!busy_) Scroll(message == WM_HSCROLL, LOWORD(wParam));
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && imageCursor_ != nullptr) {
        SetCursor(busy_ ? LoadCursor(nullptr, IDC_WAIT) : imageCursor_);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (busy_) return 0;
      SetCapture(panel_);
      MouseDown(x - offset_.x, y - offset_.y, message == WM_RBUTTONDOWN,
                (wParam & MK_CONTROL) != 0);
      return 0;
    case WM_MOUSEMOVE:
      if (!busy_) MouseMove(x - offset_.x, y - offset_.y);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == panel_) ReleaseCapture();
      if (!busy_) MouseUp();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(panel_, message, wParam, lParam);
}

RECT TVisEditForm::PanelArea() const {
  RECT area{};
  GetClientRect(panel_, &area);
  if (IsWindowVisible(vScroll_)) area.right -= GetSystemMetrics(SM_CXVSCROLL);
  if (IsWindowVisible(hScroll_)) area.bottom -= GetSystemMetrics(SM_CYHSCROLL);
  return area;
}

void TVisEditForm::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(panel_, &paint);
  const RECT area = PanelArea();
  const int zoomedWidth = view_.zoomedBounds.right, zoomedHeight = view_.zoomedBounds.bottom;
  const Image& image = document_.image;
  const RECT shown{offset_.x, offset_.y, offset_.x + zoomedWidth, offset_.y + zoomedHeight};
  // Around the image: the panel's own colour.
  HRGN outside = CreateRectRgn(area.left, area.top, area.right, area.bottom);
  HRGN picture = CreateRectRgn(shown.left, shown.top, shown.right, shown.bottom);
  CombineRgn(outside, outside, picture, RGN_DIFF);
  FillRgn(dc, outside, GetSysColorBrush(COLOR_APPWORKSPACE));
  DeleteObject(outside);
  DeleteObject(picture);

  RECT visible{};
  if (!image.Empty() && IntersectRect(&visible, &shown, &paint.rcPaint) &&
      IntersectRect(&visible, &visible, &area)) {
    const RECT part{visible.left - offset_.x, visible.top - offset_.y, visible.right - offset_.x,
                    visible.bottom - offset_.y};
    display_.Paint(dc, view_, {visible.left, visible.top}, part);
  }
  PaintMarkHandles(dc);

  const double zoom = view_.zoomFactor;
  auto onScreen = [&](const vistrel::Rect& r) {
    return RECT{offset_.x + view_.ToView(r.left), offset_.y + view_.ToView(r.top),
                offset_.x + view_.ToView(r.right), offset_.y + view_.ToView(r.bottom)};
  };
  const int hover = document_.table->HoverIndex;
  if (hover > 0 && hover <= document_.table->WindowCount) {
    // The hover outline, inverted so it shows on any picture.
    const RECT r = onScreen(document_.table->WindowRects[hover]);
    POINT points[] = {{r.left, r.top},
                      {r.left, r.bottom},
                      {r.right, r.bottom},
                      {r.right, r.top},
                      {r.left, r.top}};
    HPEN pen = CreatePen(PS_DASHDOT, std::max(1, RoundEven(9 * zoom)), RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int oldRop = SetROP2(dc, R2_NOT);
    Polyline(dc, points, 5);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
  if (document_.manualDragging) {
    // The rubber band: the dragged rectangle inverted.
    const vistrel::Rect band = Normalised(document_.manualRect);
    RECT r = onScreen(band);
    InvertRect(dc, &r);
  }
  EndPaint(panel_, &paint);
}

void TVisEditForm::MouseDown(int x, int y, bool right, bool ctrl) {
  if (!right && MarkMouseDown(x, y)) return;
  if (zoomMode_ != ZoomTool::None) {
    const double factor = ClickZoomFactor(zoomMode_, right || ctrl);
    ZoomAtPoint(x, y, factor);
    return;
  }
  if (Down(IDC_GETMAGICWINDOW)) {
    document_.SelectorClick(Down(IDC_MULTISELECT));
    ImageChanged();
    return;
  }
  if (Down(IDC_GETMANUALSELECTION)) {
    if (!document_.BeginManual(x, y, view_.zoomFactor)) {
      SetInfo(kTableFullText);
      return;
    }
    ImageChanged();
  }
}

void TVisEditForm::MouseMove(int x, int y) {
  if (MarkMouseMove(x, y)) return;
  if (document_.manualDragging) {
    // A move that arrives while the last one is still painting is dropped.
    if (dragMoveBusy_) return;
    dragMoveBusy_ = true;
    document_.DragManual(x, y, view_.zoomFactor);
    SetInfo(ManualSizeText(document_.manualRect, scale_));
    InvalidateRect(panel_, nullptr, FALSE);
    UpdateWindow(panel_);
    dragMoveBusy_ = false;
    return;
  }
  if (zoomMode_ == ZoomTool::None && Down(IDC_GETMAGICWINDOW) &&
      document_.Hover(x, y, view_.zoomFactor)) {
    const int hover = document_.table->HoverIndex;
    const std::string name = hover < static_cast<int>(document_.table->WindowNames.size())
                                 ? document_.table->WindowNames[hover]
                                 : std::string();
    SetInfo(" Windowname: " + name);
    InvalidateRect(panel_, nullptr, FALSE);
  }
}

void TVisEditForm::MouseUp() {
  if (MarkMouseUp()) return;
  if (!document_.manualDragging || !Down(IDC_GETMANUALSELECTION)) return;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  document_.EndManual();
  ImageChanged();
  SetCursor(previous);
}

void TVisEditForm::Scroll(bool horizontal, int request) {
  HWND bar = horizontal ? hScroll_ : vScroll_;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(bar, SB_CTL, &info);
  int position = info.nPos;
  switch (request) {
    case SB_LINEUP:
      position -= 1;
      break;
    case SB_LINEDOWN:
      position += 1;
      break;
    case SB_PAGEUP:
      position -= kLargeChange;
      break;
    case SB_PAGEDOWN:
      position += kLargeChange;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      position = info.nTrackPos;
      break;
    case SB_TOP:
      position = info.nMin;
      break;
    case SB_BOTTOM:
      position = info.nMax;
      break;
    default:
      return;
  }
  position = std::clamp(position, info.nMin, info.nMax);
  SetScrollPos(bar, SB_CTL, position, TRUE);
  (horizontal ? offset_.x : offset_.y) = -kScrollStep * position;
  InvalidateRect(panel_, nullptr, FALSE);
}

void TVisEditForm::PlaceView(double wantedX, double wantedY) {
  RECT client{};
  GetClientRect(panel_, &client);
  const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
  const AxisPlacement h = PlaceAxis(client.right, barWidth, view_.zoomedBounds.right, wantedX);
  const AxisPlacement v = PlaceAxis(client.bottom, barHeight, view_.zoomedBounds.bottom, wantedY);
  auto place = [](HWND bar, const AxisPlacement& axis, int x, int y, int w, int h) {
    if (!axis.barShown) {
      ShowWindow(bar, SW_HIDE);
      return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMax = axis.maximum;
    info.nPos = axis.position;
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    MoveWindow(bar, x, y, std::max(w, 1), h, TRUE);
    ShowWindow(bar, SW_SHOW);
  };
  place(hScroll_, h, 0, client.bottom - barHeight, client.right - (v.barShown ? barWidth : 0),
        barHeight);
  place(vScroll_, v, client.right - barWidth, 0, barWidth,
        client.bottom - (h.barShown ? barHeight : 0));
  offset_ = {h.offset, v.offset};
  InvalidateRect(panel_, nullptr, FALSE);
}

void TVisEditForm::ZoomAtPoint(int x, int y, double factor) {
  if (factor == 0) return;
  if (view_.ZoomBy(factor) == ZoomOutcome::TooFar) {
    MessageBoxA(form_, kMaxZoomText, kMaxZoomCaption, MB_OK);
    return;
  }
  SetInfo(view_.ZoomText());
  PlaceView(x * factor, y * factor);
}

void TVisEditForm::ZoomToPercent(int percent) {
  const RECT area = PanelArea();
  // The image point in the middle of the view stays there.
  const double old = view_.zoomFactor;
  const double centreX = (area.right / 2.0 - offset_.x) / old;
  const double centreY = (area.bottom / 2.0 - offset_.y) / old;
  switch (view_.ZoomTo(percent)) {
    case ZoomOutcome::Invalid:
      MessageBoxA(form_, kBadZoomText, kBadZoomCaption, MB_OK);
      return;
    case ZoomOutcome::TooFar:
      MessageBoxA(form_, kMaxZoomText, kMaxZoomCaption, MB_OK);
      return;
    case ZoomOutcome::Zoomed:
      break;
  }
  SetInfo(view_.ZoomText());
  PlaceView(centreX * view_.zoomFactor, centreY * view_.zoomFactor);
}

void TVisEditForm::ExactZoom() {
  ExactZoomBox box;
  if (DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_EXACTZOOM), form_,
                      vistrel::DialogThunk<ExactZoomBox, &ExactZoomBox::Message>,
                      reinterpret_cast<LPARAM>(&box)) != IDOK) {
    return;  // Cancel changes nothing
  }
  ZoomToPercent(ParseZoomPercent(box.text));
}

void TVisEditForm::RemoveOutline() {
  if (busy_) return;
  if (document_.table->HoverIndex > 0) InvalidateRect(panel_, nullptr, FALSE);
  document_.RemoveHover();
  if (GetWindowTextLengthA(infoLbl_) > 0) SetInfo("");
}

void TVisEditForm::ImageChanged() {
  if (document_.marks.empty()) {
    composite_ = Image();
    display_.Update(document_.image);
    InvalidateRect(panel_, nullptr, FALSE);
    return;
  }
  ComposeMarks();
}

}  // namespace vistlib
