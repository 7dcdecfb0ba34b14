#include "clipboard_viewer_win.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "clipboard_dib_win.h"
#include "dpi_win.h"
#include "window_class_win.h"

namespace vistlib::cbview {
namespace {

constexpr UINT_PTR kRetryTimer = 1;
constexpr DWORD kRetryEveryMs = 1000;
// Another program holds the clipboard only for moments; wait that long first.
constexpr DWORD kOpenPatienceMs = 500;
constexpr int kScrollLine = 16;

bool OpenClipboardWithin(HWND owner, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!OpenClipboard(owner)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

ClipboardFacts ReadFacts() {
  ClipboardFacts facts;
  facts.empty = CountClipboardFormats() == 0;
  facts.text = IsClipboardFormatAvailable(CF_TEXT);
  facts.oemText = IsClipboardFormatAvailable(CF_OEMTEXT);
  facts.bitmap = IsClipboardFormatAvailable(CF_BITMAP);
  facts.metafile = IsClipboardFormatAvailable(CF_METAFILEPICT);
  facts.enhMetafile = IsClipboardFormatAvailable(CF_ENHMETAFILE);
  facts.palette = IsClipboardFormatAvailable(CF_PALETTE);
  return facts;
}

// The text of a clipboard text block, up to its first zero or its end.
std::string ClipboardText(UINT format) {
  vistrel::GlobalLockGuard lock(GetClipboardData(format));
  const auto* data = static_cast<const char*>(lock.Data());
  if (data == nullptr) return {};
  const void* end = std::memchr(data, 0, lock.Size());
  return std::string(data, end ? static_cast<const char*>(end) - data : lock.Size());
}

}  // namespace

TClipboardViewer::TClipboardViewer(HWND parent, const RECT& place,
                                   std::function<void(const std::string&)> status)
    : status_(std::move(status)) {
  RegisterWindowClass(kViewerClassName, CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW,
                      vistrel::WindowThunk<TClipboardViewer, &TClipboardViewer::OnMessage>);
  CreateWindowExA(0, kViewerClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place.left,
                  place.top, place.right - place.left, place.bottom - place.top, parent, nullptr,
                  ModuleInstance(), this);
}

TClipboardViewer::~TClipboardViewer() {
  if (window_ != nullptr) DestroyWindow(window_);
  FreeContent();
}

void TClipboardViewer::JoinChain() {
  // Joining sends the first change notice at once, before the next window is
  // known; that one is not passed on.
  joined_ = true;
  next_ = SetClipboardViewer(window_);
}

void TClipboardViewer::LeaveChain() {
  if (!joined_) return;
  joined_ = false;
  ChangeClipboardChain(window_, next_);
  next_ = nullptr;
}

void TClipboardViewer::SetViewFormat(ViewFormat format) {
  viewFormat_ = Requested(format, ReadFacts());
  Rebuild();
}

void TClipboardViewer::ClipboardChanged() {
  viewFormat_ = AfterClipboardChange(viewFormat_, ReadFacts());
  Rebuild();
}

bool TClipboardViewer::ReadContent(const ContentPlan& plan, std::string& text,
                                   std::vector<PaletteColor>& palette) {
  const bool needsClipboard = plan.kind != ContentKind::Text || plan.clipboardText;
  if (!needsClipboard) {
    text = plan.fixedText;
    return true;
  }
  if (!OpenClipboardWithin(window_, kOpenPatienceMs)) return false;
  switch (plan.kind) {
    case ContentKind::Text:
      text = ClipboardText(plan.oemSource ? CF_OEMTEXT : CF_TEXT);
      break;
    case ContentKind::Palette:
      palette = PaletteColors(static_cast<HPALETTE>(GetClipboardData(CF_PALETTE)));
      break;
    case ContentKind::Picture:
      if (shown_ == ViewFormat::cvBitmap && IsClipboardFormatAvailable(CF_BITMAP)) {
        auto held = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        if (held) bitmap_.reset(static_cast<HBITMAP>(CopyImage(held, IMAGE_BITMAP, 0, 0, 0)));
      } else if (auto held = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE))) {
        // A metafile picture is read in its enhanced form, which Windows makes from it.
        metafile_ = CopyEnhMetaFileA(held, nullptr);
      }
      break;
  }
  CloseClipboard();
  return true;
}

void TClipboardViewer::FreeContent() {
  if (textBox_ != nullptr) DestroyWindow(textBox_);
  textBox_ = nullptr;
  if (terminalFont_ != nullptr) DeleteObject(terminalFont_);
  terminalFont_ = nullptr;
  grid_.reset();
  bitmap_.reset();
  if (metafile_ != nullptr) DeleteEnhMetaFile(metafile_);
  metafile_ = nullptr;
  scroll_ = {0, 0};
}

void TClipboardViewer::Rebuild() {
  if (window_ == nullptr) return;
  const ClipboardFacts facts = ReadFacts();
  const ViewFormat shown = FormatToShow(viewFormat_, facts);
  const ContentPlan plan = PlanContent(shown, facts);
  // The old content goes only once the new one could be read.
  Bitmap oldBitmap(bitmap_.release());
  HENHMETAFILE oldMetafile = std::exchange(metafile_, nullptr);
  const ViewFormat oldShown = std::exchange(shown_, shown);
  std::string text;
  std::vector<PaletteColor> palette;
  if (!ReadContent(plan, text, palette)) {
    shown_ = oldShown;
    bitmap_ = std::move(oldBitmap);
    metafile_ = oldMetafile;
    if (!retrying_ && status_) status_(kClipboardBusyText);
    retrying_ = true;
    SetTimer(window_, kRetryTimer, kRetryEveryMs, nullptr);
    return;
  }
  if (oldMetafile != nullptr) DeleteEnhMetaFile(oldMetafile);
  if (retrying_) {
    retrying_ = false;
    KillTimer(window_, kRetryTimer);
    if (status_) status_("");
  }
  Bitmap newBitmap(bitmap_.release());
  HENHMETAFILE newMetafile = std::exchange(metafile_, nullptr);
  FreeContent();
  RECT client;
  GetClientRect(window_, &client);
  switch (plan.kind) {
    case ContentKind::Text:
      ShowText(plan, text);
      break;
    case ContentKind::Palette:
      grid_ = std::make_unique<TPaletteGrid>(window_, client);
      grid_->TakePalette(palette);
      break;
    case ContentKind::Picture:
      bitmap_ = std::move(newBitmap);
      metafile_ = newMetafile;
      break;
  }
  Layout();
  InvalidateRect(window_, nullptr, TRUE);
}

void TClipboardViewer::ShowText(const ContentPlan& plan, const std::string& text) {
  textBox_ = CreateWindowExA(0, "EDIT", "",
                             WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                 ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL,
                             0, 0, 0, 0, window_, nullptr, ModuleInstance(), nullptr);
  if (textBox_ == nullptr) return;
  if (plan.terminalFont) {
    terminalFont_ =
        CreateFontA(-vistrel::Scaled(12, vistrel::WindowDpi(window_)), 0, 0, 0, FW_NORMAL, FALSE,
                    FALSE, FALSE, OEM_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Terminal");
  }
  HGDIOBJ font =
      terminalFont_ ? static_cast<HGDIOBJ>(terminalFont_) : GetStockObject(DEFAULT_GUI_FONT);
  SendMessageA(textBox_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(textBox_, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(textBox_, TextForTextBox(text).c_str());
}

SIZE TClipboardViewer::PictureSize() const {
  if (bitmap_) {
    BITMAP facts{};
    GetObjectA(bitmap_.get(), sizeof facts, &facts);
    return {facts.bmWidth, std::abs(facts.bmHeight)};
  }
  if (metafile_ != nullptr) {
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(metafile_, sizeof header, &header);
    // The frame is in hundredths of a millimetre of the reference device.
    if (header.szlMillimeters.cx > 0 && header.szlMillimeters.cy > 0) {
      return {MulDiv(header.rclFrame.right - header.rclFrame.left, header.szlDevice.cx,
                     header.szlMillimeters.cx * 100),
              MulDiv(header.rclFrame.bottom - header.rclFrame.top, header.szlDevice.cy,
                     header.szlMillimeters.cy * 100)};
    }
    return {header.rclBounds.right - header.rclBounds.left + 1,
            header.rclBounds.bottom - header.rclBounds.top + 1};
  }
  return {0, 0};
}

void TClipboardViewer::UpdateScrollBars() {
  const SIZE size = PictureSize();
  // Twice: a scroll bar that comes narrows the other direction.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    GetClientRect(window_, &client);
    SCROLLINFO across{sizeof across,
                      SIF_RANGE | SIF_PAGE,
                      0,
                      std::max<int>(0, size.cx - 1),
                      static_cast<UINT>(client.right),
                      0,
                      0};
    SCROLLINFO down{sizeof down,
                    SIF_RANGE | SIF_PAGE,
                    0,
                    std::max<int>(0, size.cy - 1),
                    static_cast<UINT>(client.bottom),
                    0,
                    0};
    SetScrollInfo(window_, SB_HORZ, &across, TRUE);
    SetScrollInfo(window_, SB_VERT, &down, TRUE);
  }
  RECT client;
  GetClientRect(window_, &client);
  scroll_.x = std::clamp<LONG>(scroll_.x, 0, std::max<LONG>(0, size.cx - client.right));
  scroll_.y = std::clamp<LONG>(scroll_.y, 0, std::max<LONG>(0, size.cy - client.bottom));
  SetScrollPos(window_, SB_HORZ, scroll_.x, TRUE);
  SetScrollPos(window_, SB_VERT, scroll_.y, TRUE);
}

void TClipboardViewer::Layout() {
  if (window_ == nullptr) return;
  if (!bitmap_ && metafile_ == nullptr) {
    ShowScrollBar(window_, SB_BOTH, FALSE);
  } else {
    UpdateScrollBars();
  }
  RECT client;
  GetClientRect(window_, &client);
  if (textBox_ != nullptr) MoveWindow(textBox_, 0, 0, client.right, client.bottom, TRUE);
  if (grid_) MoveWindow(grid_->Handle(), 0, 0, client.right, client.bottom, TRUE);
  InvalidateRect(window_, nullptr, TRUE);
}

void TClipboardViewer::Scroll(int bar, WPARAM request) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(window_, bar, &info);
  LONG& position = bar == SB_HORZ ? scroll_.x : scroll_.y;
  switch (LOWORD(request)) {
    case SB_LINEUP:
      position -= kScrollLine;
      break;
    case SB_LINEDOWN:
      position += kScrollLine;
      break;
    case SB_PAGEUP:
      position -= static_cast<LONG>(info.nPage);
      break;
    case SB_PAGEDOWN:
      position += static_cast<LONG>(info.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      position = info.nTrackPos;
      break;
    case SB_TOP:
      position = 0;
      break;
    case SB_BOTTOM:
      position = info.nMax;
      break;
  }
  position = std::clamp<LONG>(position, 0,
                              std::max<LONG>(0, info.nMax + 1 - static_cast<LONG>(info.nPage)));
  SetScrollPos(window_, bar, position, TRUE);
  InvalidateRect(window_, nullptr, TRUE);
}

void TClipboardViewer::Paint(HDC dc) {
  const SIZE size = PictureSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  RECT client;
  GetClientRect(window_, &client);
  // Centred, never at a negative place; scrolled when larger than the view.
  const int left = std::max<LONG>(0, (client.right - size.cx) / 2) - scroll_.x;
  const int top = std::max<LONG>(0, (client.bottom - size.cy) / 2) - scroll_.y;
  if (bitmap_) {
    MemoryDc source(CreateCompatibleDC(dc));
    SelectGuard select(source.get(), bitmap_.get());
    BitBlt(dc, left, top, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
  } else {
    const RECT place{left, top, left + size.cx, top + size.cy};
    PlayEnhMetaFile(dc, metafile_, &place);
  }
}

LRESULT TClipboardViewer::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const KeptHandle kept(window_, window, message);
  switch (message) {
    case WM_CREATE:
      JoinChain();
      return 0;
    case WM_CHANGECBCHAIN: {
      const auto leaving = reinterpret_cast<HWND>(wParam);
      if (leaving == next_) {
        next_ = reinterpret_cast<HWND>(lParam);
      } else if (next_ != nullptr) {
        SendMessageA(next_, WM_CHANGECBCHAIN, wParam, lParam);
      }
      return 0;
    }
    case WM_DRAWCLIPBOARD:
      if (next_ != nullptr) SendMessageA(next_, WM_DRAWCLIPBOARD, wParam, lParam);
      ClipboardChanged();
      return 0;
    case WM_DESTROYCLIPBOARD:
      viewFormat_ = ViewFormat::cvEmpty;
      Rebuild();
      return 0;
    case WM_TIMER:
      if (wParam == kRetryTimer) Rebuild();
      return 0;
    case kGetShownFormat:
      return static_cast<LRESULT>(shown_);
    case WM_SIZE:
      Layout();
      return 0;
    case WM_HSCROLL:
      Scroll(SB_HORZ, wParam);
      return 0;
    case WM_VSCROLL:
      Scroll(SB_VERT, wParam);
      return 0;
    case WM_CTLCOLORSTATIC:
      // The read-only text box in the window colour, like the viewer.
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      Paint(dc);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_DESTROY:
    case WM_NCDESTROY:
      LeaveChain();
      KillTimer(window_, kRetryTimer);
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vistlib::cbview
