#include "countdown_win.h"

#include <algorithm>
#include <string>

#include "countdown.h"
#include "dpi_win.h"
#include "event_pump_win.h"
#include "window_thunk_win.h"

namespace vistrel {

namespace {

constexpr char kClass[] = "VistrelCountdown";
constexpr UINT_PTR kTimer = 1;
constexpr UINT kTimerMs = 100;
constexpr UINT kEscapeMessage = WM_APP + 1;
constexpr int kSize = 56;
// Time for the windows beneath the hidden count-down to paint themselves again.
constexpr DWORD kSettleMs = 300;

// The window of the one count-down that receives Escape from the keyboard hook.
HWND hookedWindow = nullptr;

}  // namespace

void LetScreenSettle(DWORD milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  while (static_cast<int32_t>(until - GetTickCount()) > 0) {
    DoEvents();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

Countdown::~Countdown() {
  if (keyboard_) UnhookWindowsHookEx(keyboard_);
  if (window_) DestroyWindow(window_);
}

bool Countdown::Start(int milliseconds, TickFn tick, DoneFn done) {
  if (Active()) return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowThunk<Countdown, &Countdown::Handle>;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClass;
    windowClass.hCursor = LoadCursor(nullptr, IDC_HAND);
    windowClass.hbrBackground = nullptr;
    registered = RegisterClassA(&windowClass) != 0;
    if (!registered) return false;
  }
  // Beside the pointer, inside the monitor it is on.
  POINT at{};
  GetCursorPos(&at);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int size = Scaled(kSize, SystemDpi());
  const int x = std::clamp<int>(at.x + 20, work.left, std::max<int>(work.left, work.right - size));
  const int y = std::clamp<int>(at.y + 20, work.top, std::max<int>(work.top, work.bottom - size));
  window_ =
      CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, "",
                      WS_POPUP | WS_BORDER, x, y, size, size, nullptr, nullptr, instance, this);
  if (!window_) return false;
  SetDpi(WindowDpi(window_));
  tick_ = std::move(tick);
  done_ = std::move(done);
  deadline_ = GetTickCount() + static_cast<DWORD>(std::max(0, milliseconds));
  shown_ = -1;
  hookedWindow = window_;
  keyboard_ = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, instance, 0);
  SetTimer(window_, kTimer, kTimerMs, nullptr);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  Tick();
  return true;
}

void Countdown::Cancel() {
  if (Active()) Finish(false);
}

void Countdown::Tick() {
  const auto remaining = static_cast<int32_t>(deadline_ - GetTickCount());
  if (remaining <= 0) {
    Finish(true);
    return;
  }
  const int seconds = SecondsLeft(remaining);
  if (seconds == shown_) return;
  shown_ = seconds;
  InvalidateRect(window_, nullptr, TRUE);
  if (tick_) tick_(seconds);
}

void Countdown::Finish(bool fired) {
  if (keyboard_) UnhookWindowsHookEx(keyboard_);
  keyboard_ = nullptr;
  hookedWindow = nullptr;
  HWND window = window_;
  window_ = nullptr;  // not Active from here: a capture started by done() may run
  KillTimer(window, kTimer);
  ShowWindow(window, SW_HIDE);
  DestroyWindow(window);
  // The capture reads the screen: first the windows beneath repaint where the
  // count-down was.
  LetScreenSettle(kSettleMs);
  DoneFn done = std::move(done_);
  done_ = nullptr;
  tick_ = nullptr;
  if (done) done(fired);
}

// The figure's face and the square it stands in, at `dpi`.
void Countdown::SetDpi(int dpi) {
  font_.reset(CreateFontA(-Scaled(36, dpi), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                          "Arial"));
  SetWindowPos(window_, nullptr, 0, 0, Scaled(kSize, dpi), Scaled(kSize, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, FALSE);
}

void Countdown::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  RECT client;
  GetClientRect(window_, &client);
  {
    const Brush back(CreateSolidBrush(RGB(32, 40, 56)));
    FillRect(dc, &client, back.get());
    SelectGuard font(dc, font_ ? static_cast<HGDIOBJ>(font_.get()) : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 214, 64));
    const std::string text = std::to_string(std::max(shown_, 0));
    DrawTextA(dc, text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  EndPaint(window_, &paint);
}

LRESULT CALLBACK Countdown::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) && hookedWindow) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    // Posted, not handled here: a hook must return at once.
    if (key->vkCode == VK_ESCAPE) PostMessageA(hookedWindow, kEscapeMessage, 0, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT Countdown::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Before CreateWindowEx has returned and once the count-down is over, its
  // messages get the default handling.
  if (window != window_) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimer) Tick();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      SetDpi(HIWORD(wParam));
      return 0;
    }
    case kEscapeMessage:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      Finish(false);
      return 0;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vistrel
