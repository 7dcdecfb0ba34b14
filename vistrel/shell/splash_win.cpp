#include "splash_win.h"

#include <algorithm>
#include <string>

#include "autostart_win.h"
#include "event_pump_win.h"
#include "gdi_handles_win.h"
#include "program_paths_win.h"
#include "setup_dialog_win.h"
#include "shell_forms_win.h"
#include "shell_ids.h"
#include "shell_state.h"
#include "startup_texts.h"
#include "window_thunk_win.h"

namespace vistrel {

namespace {

constexpr char kSplashClass[] = "VistrelSplashScreen";
constexpr UINT kSplashIntervalMs = 4000;
constexpr int kWidth = 480;
constexpr int kPictureHeight = 270;
constexpr int kFooterHeight = 62;
constexpr char kTagline[] = "Screen shots from the tray, straight to file, mail and paper";
constexpr int kTaglineHeight = 15;

HFONT MakeFont(int height, int weight, const char* face) {
  return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, face);
}

// The one start-up window of the program's life.
class Splash {
 public:
  void Show(HINSTANCE instance, std::function<void()> onTimer);
  HWND Window() const { return window_; }
  LRESULT Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Paint(HWND window);
  void Unload();

  HWND window_ = nullptr;
  Bitmap picture_;  // Fimage
  Font titleFont_;
  Font subtitleFont_;
  Font uiFont_;
  HWND autostart_ = nullptr;
  std::function<void()> onTimer_;
};
Splash splash;

void Splash::Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  RECT art{0, 0, client.right, kPictureHeight};
  if (picture_) {
    MemoryDc memory(CreateCompatibleDC(dc));
    SelectGuard selected(memory.get(), picture_.get());
    BITMAP info{};
    GetObject(picture_.get(), sizeof info, &info);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, art.right, art.bottom, memory.get(), 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
  } else {
    const Brush brush(CreateSolidBrush(RGB(24, 44, 84)));
    FillRect(dc, &art, brush.get());
  }
  SetBkMode(dc, TRANSPARENT);
  {
    SelectGuard font(dc, titleFont_.get());
    RECT title{26, 168, client.right - 20, 216};
    SetTextColor(dc, RGB(10, 20, 40));
    OffsetRect(&title, 2, 2);
    DrawTextA(dc, "Tarnwick Vistrel", -1, &title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    OffsetRect(&title, -2, -2);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, "Tarnwick Vistrel", -1, &title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  }
  // The tagline fits the picture in whatever face stands in for Arial: a
  // wider one is drawn smaller rather than cut at the edge.
  RECT sub{29, 220, client.right - 20, 246};
  const int available = static_cast<int>(sub.right - sub.left);
  SIZE extent{};
  {
    SelectGuard font(dc, subtitleFont_.get());
    GetTextExtentPoint32A(dc, kTagline, static_cast<int>(sizeof kTagline - 1), &extent);
  }
  Font fitted;
  if (extent.cx > available) {
    fitted.reset(MakeFont(std::max(9, static_cast<int>(kTaglineHeight * available / extent.cx)),
                          FW_NORMAL, "Arial"));
  }
  {
    SelectGuard font(dc, fitted ? fitted.get() : subtitleFont_.get());
    SetTextColor(dc, RGB(190, 214, 255));
    DrawTextA(dc, kTagline, -1, &sub, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  EndPaint(window, &ps);
}

void Splash::Unload() {
  if (!window_) return;
  KillTimer(window_, ids::kSplashTimer);
  const bool autostart = SendMessageA(autostart_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  HWND window = window_;
  window_ = nullptr;
  DestroyWindow(window);
  // After the always-on-top window has gone, so that a refusal is seen.
  ApplyAutostartChoice(nullptr, autostart);
  picture_.reset();
  titleFont_.reset();
  subtitleFont_.reset();
  uiFont_.reset();
}

LRESULT Splash::Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_LBUTTONDOWN:
      SetTopmost(window, false);
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == ids::kSplashAutostart || LOWORD(wParam) == ids::kSplashVersion) {
        SetTopmost(window, false);
      }
      break;
    case WM_TIMER:
      if (wParam == ids::kSplashTimer) {
        auto onTimer = std::move(onTimer_);
        Unload();
        if (onTimer) onTimer();
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closing early still stores the autostart choice and runs the tip.
      KillTimer(window, ids::kSplashTimer);
      PostMessageA(window, WM_TIMER, ids::kSplashTimer, 0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Splash::Show(HINSTANCE instance, std::function<void()> onTimer) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowThunk<Splash, &Splash::Message>;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kSplashClass;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  RegisterClassA(&windowClass);

  RECT frame{0, 0, kWidth, kPictureHeight + kFooterHeight};
  const DWORD style = WS_POPUP | WS_BORDER;
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass, kAppTitle, style, 0, 0,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            instance, this);
  if (!window_) {
    if (onTimer) onTimer();
    return;
  }
  onTimer_ = std::move(onTimer);
  titleFont_.reset(MakeFont(40, FW_BOLD, "Arial"));
  subtitleFont_.reset(MakeFont(kTaglineHeight, FW_NORMAL, "Arial"));
  uiFont_.reset(MakeFont(13, FW_NORMAL, "Tahoma"));

  std::string version = VersionLabel();
  HWND label = CreateWindowExA(0, "STATIC", version.c_str(), WS_CHILD | WS_VISIBLE | SS_NOTIFY, 16,
                               kPictureHeight + 10, kWidth - 32, 18, window_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kSplashVersion)),
                               instance, nullptr);
  autostart_ = CreateWindowExA(
      0, "BUTTON", "&Start this program with Windows", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 16,
      kPictureHeight + 32, kWidth - 32, 20, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kSplashAutostart)), instance, nullptr);
  for (HWND control : {label, autostart_}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.get()), TRUE);
  }

  const std::string picture = ProgramFolder() + "\\splash." + "dat";
  if (FileExists(picture)) {
    picture_.reset(static_cast<HBITMAP>(
        LoadImageA(nullptr, picture.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  }
  SendMessageA(autostart_, BM_SETCHECK, AutostartIsSet() ? BST_CHECKED : BST_UNCHECKED, 0);

  CenterForm(window_);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  UpdateWindow(window_);
  DoEvents();
  if (window_) SetTimer(window_, ids::kSplashTimer, kSplashIntervalMs, nullptr);
}

}  // namespace

HWND SplashScreen::Window() { return splash.Window(); }

void SplashScreen::Show(HINSTANCE instance, std::function<void()> onTimer) {
  splash.Show(instance, std::move(onTimer));
}

}  // namespace vistrel
