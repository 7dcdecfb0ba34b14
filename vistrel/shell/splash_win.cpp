#include "splash_win.h"

#include <algorithm>
#include <string>

#include "autostart_win.h"
#include "event_pump_win.h"
#include "setup_dialog_win.h"
#include "shell_forms_win.h"
#include "shell_ids.h"
#include "shell_state.h"
#include "startup_texts.h"

namespace vistrel {

namespace {

constexpr char kSplashClass[] = "VistrelSplashScreen";
constexpr UINT kSplashIntervalMs = 4000;
constexpr int kWidth = 480;
constexpr int kPictureHeight = 270;
constexpr int kFooterHeight = 62;
constexpr char kTagline[] = "Screen shots from the tray, straight to file, mail and paper";
constexpr int kTaglineHeight = 15;

struct SplashState {
  HWND window = nullptr;
  HBITMAP picture = nullptr;  // Fimage
  HFONT titleFont = nullptr;
  HFONT subtitleFont = nullptr;
  HFONT uiFont = nullptr;
  HWND autostart = nullptr;
  std::function<void()> onTimer;
};
SplashState splash;

std::string ProgramDirectory() {
  char path[MAX_PATH] = "";
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, n);
  size_t slash = text.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : text.substr(0, slash);
}

HFONT MakeFont(int height, int weight, const char* face) {
  return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, face);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  RECT art{0, 0, client.right, kPictureHeight};
  if (splash.picture) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, splash.picture);
    BITMAP info{};
    GetObject(splash.picture, sizeof info, &info);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, art.right, art.bottom, memory, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  } else {
    HBRUSH brush = CreateSolidBrush(RGB(24, 44, 84));
    FillRect(dc, &art, brush);
    DeleteObject(brush);
  }
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, splash.titleFont);
  RECT title{26, 168, client.right - 20, 216};
  SetTextColor(dc, RGB(10, 20, 40));
  OffsetRect(&title, 2, 2);
  DrawTextA(dc, "Tarnwick Vistrel", -1, &title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  OffsetRect(&title, -2, -2);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextA(dc, "Tarnwick Vistrel", -1, &title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  // The tagline fits the picture in whatever face stands in for Arial: a
  // wider one is drawn smaller rather than cut at the edge.
  SelectObject(dc, splash.subtitleFont);
  SetTextColor(dc, RGB(190, 214, 255));
  RECT sub{29, 220, client.right - 20, 246};
  const int available = static_cast<int>(sub.right - sub.left);
  SIZE extent{};
  GetTextExtentPoint32A(dc, kTagline, static_cast<int>(sizeof kTagline - 1), &extent);
  HFONT fitted = nullptr;
  if (extent.cx > available) {
    fitted = MakeFont(std::max(9, static_cast<int>(kTaglineHeight * available / extent.cx)),
                      FW_NORMAL, "Arial");
    SelectObject(dc, fitted);
  }
  DrawTextA(dc, kTagline, -1, &sub, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, oldFont);
  if (fitted) DeleteObject(fitted);
  EndPaint(window, &ps);
}

void Unload() {
  if (!splash.window) return;
  KillTimer(splash.window, ids::kSplashTimer);
  const bool autostart = SendMessageA(splash.autostart, BM_GETCHECK, 0, 0) == BST_CHECKED;
  HWND window = splash.window;
  splash.window = nullptr;
  DestroyWindow(window);
  // After the always-on-top window has gone, so that a refusal is seen.
  ApplyAutostartChoice(nullptr, autostart);
  if (splash.picture) DeleteObject(splash.picture);
  splash.picture = nullptr;
  for (HFONT* font : {&splash.titleFont, &splash.subtitleFont, &splash.uiFont}) {
    if (*font) DeleteObject(*font);
    *font = nullptr;
  }
}

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
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
          auto onTimer = std::move(splash.onTimer);
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
  } catch (...) {
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND SplashScreen::Window() { return splash.window; }

void SplashScreen::Show(HINSTANCE instance, std::function<void()> onTimer) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = SplashProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kSplashClass;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  RegisterClassA(&windowClass);

  RECT frame{0, 0, kWidth, kPictureHeight + kFooterHeight};
  const DWORD style = WS_POPUP | WS_BORDER;
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  splash.window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass, kAppTitle, style,
                                  0, 0, frame.right - frame.left, frame.bottom - frame.top,
                                  nullptr, nullptr, instance, nullptr);
  if (!splash.window) {
    if (onTimer) onTimer();
    return;
  }
  splash.onTimer = std::move(onTimer);
  splash.titleFont = MakeFont(40, FW_BOLD, "Arial");
  splash.subtitleFont = MakeFont(kTaglineHeight, FW_NORMAL, "Arial");
  splash.uiFont = MakeFont(13, FW_NORMAL, "Tahoma");

  std::string version = VersionLabel();
  HWND label = CreateWindowExA(0, "STATIC", version.c_str(), WS_CHILD | WS_VISIBLE | SS_NOTIFY,
                               16, kPictureHeight + 10, kWidth - 32, 18, splash.window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kSplashVersion)),
                               instance, nullptr);
  splash.autostart = CreateWindowExA(
      0, "BUTTON", "&Start this program with Windows", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
      16, kPictureHeight + 32, kWidth - 32, 20, splash.window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kSplashAutostart)), instance, nullptr);
  for (HWND control : {label, splash.autostart}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(splash.uiFont), TRUE);
  }

  const std::string picture = ProgramDirectory() + "\\splash." + "dat";
  if (FileExists(picture)) {
    splash.picture = static_cast<HBITMAP>(
        LoadImageA(nullptr, picture.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  }
  SendMessageA(splash.autostart, BM_SETCHECK, AutostartIsSet() ? BST_CHECKED : BST_UNCHECKED, 0);

  CenterForm(splash.window);
  ShowWindow(splash.window, SW_SHOWNOACTIVATE);
  UpdateWindow(splash.window);
  DoEvents();
  if (splash.window) SetTimer(splash.window, ids::kSplashTimer, kSplashIntervalMs, nullptr);
}

}  // namespace vistrel
