#include "engine_test_support_win.h"

#include "library_message.h"

namespace enginetest {
namespace {

constexpr char kPaintedClass[] = "EngineTestPainted";
constexpr char kNotifyClass[] = "EngineTestNotify";
constexpr UINT kMarker = WM_APP + 77;
bool g_markerSeen = false;

LRESULT CALLBACK PaintedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush =
        CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA)));
    FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
    DeleteObject(brush);
    return 1;
  }
  if (message == kMarker) {
    g_markerSeen = true;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterOnce(const char* name, WNDPROC procedure) {
  WNDCLASSA existing{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = name;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&windowClass);
}

}  // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (condition()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void Drain(HWND window) {
  g_markerSeen = false;
  PostMessageA(window, kMarker, 0, 0);
  PumpUntil([] { return g_markerSeen; });
}

PaintedWindow::PaintedWindow(const char* title, RECT rect, COLORREF colour, DWORD style,
                             HWND parent) {
  RegisterOnce(kPaintedClass, PaintedProcedure);
  window_ = CreateWindowExA(parent ? 0 : WS_EX_TOPMOST, kPaintedClass, title, style, rect.left,
                            rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  InvalidateRect(window_, nullptr, TRUE);
  UpdateWindow(window_);
}

PaintedWindow::~PaintedWindow() {
  if (!IsWindow(window_)) return;
  // Without a window manager Wine waits two seconds for every window it
  // hides; dropping the style first lets it go at once.
  SetWindowLongPtrA(window_, GWL_STYLE, GetWindowLongPtrA(window_, GWL_STYLE) & ~WS_VISIBLE);
  DestroyWindow(window_);
}

NotifyWindow::NotifyWindow() {
  RegisterOnce(kNotifyClass, Procedure);
  window_ = CreateWindowExA(0, kNotifyClass, "notify", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NotifyWindow::~NotifyWindow() {
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

LRESULT CALLBACK NotifyWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_MOUSEMOVE) self->moves.push_back({wParam, lParam});
  if (self != nullptr && message == WM_HOTKEY) self->hotkeys.push_back(wParam);
  if (message == kMarker) g_markerSeen = true;
  return DefWindowProcA(window, message, wParam, lParam);
}

namespace {
void Record(const std::string& text) { MessageRecorder::Messages().push_back(text); }
}  // namespace

MessageRecorder::MessageRecorder() {
  Messages().clear();
  vistlib::ReplaceMessageFunction(Record);
}

MessageRecorder::~MessageRecorder() { vistlib::ReplaceMessageFunction(nullptr); }

std::vector<std::string>& MessageRecorder::Messages() {
  static std::vector<std::string> messages;
  return messages;
}

Pixels ReadPixels(HBITMAP bitmap) {
  Pixels pixels;
  BITMAP info{};
  if (bitmap == nullptr || !GetObjectA(bitmap, sizeof info, &info)) return pixels;
  pixels.width = info.bmWidth;
  pixels.height = info.bmHeight;
  pixels.argb.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.argb.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (uint32_t& p : pixels.argb) p &= 0xFFFFFF;
  return pixels;
}

void PressKey(WORD key) {
  INPUT inputs[2]{};
  inputs[0].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = key;
  inputs[1] = inputs[0];
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

HANDLE StartHelper(const std::string& arguments) {
  std::string command = "engine_helper.exe " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

OtherProcessHoldsPrintScreen::OtherProcessHoldsPrintScreen() {
  std::string suffix = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  std::string readyName = "EngineTestReady-" + suffix;
  std::string stopName = "EngineTestStop-" + suffix;
  ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  stop_ = CreateEventA(nullptr, TRUE, FALSE, stopName.c_str());
  process_ = StartHelper("hold " + readyName + " " + stopName);
  if (process_ == nullptr) return;
  HANDLE either[] = {ready_, process_};
  holding_ = WaitForMultipleObjects(2, either, FALSE, 20000) == WAIT_OBJECT_0;
}

OtherProcessHoldsPrintScreen::~OtherProcessHoldsPrintScreen() {
  SetEvent(stop_);
  if (process_ != nullptr) {
    WaitForSingleObject(process_, 20000);
    CloseHandle(process_);
  }
  CloseHandle(ready_);
  CloseHandle(stop_);
}

}  // namespace enginetest
