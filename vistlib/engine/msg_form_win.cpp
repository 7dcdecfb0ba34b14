#include "msg_form_win.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "clipboard_transfer_win.h"
#include "engine_state_win.h"
#include "engine_texts.h"
#include "hotkey_trouble.h"
#include "library_message.h"
#include "module_win.h"
#include "window_thunk_win.h"

namespace vistlib {
namespace {

constexpr char kClassName[] = "TMsgForm";

void RegisterClassOnce(WNDPROC procedure) {
  WNDCLASSA existing{};
  if (GetClassInfoA(ModuleInstance(), kClassName, &existing)) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ModuleInstance();
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass))
    throw std::runtime_error("Unable to register the window class for the PrintScreen hotkey.");
}

std::optional<uint32_t> SnippingSetting() {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kSnippingKeyPath, kSnippingValueName, RRF_RT_REG_DWORD,
                   nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

// Sets the value to 0 and nothing else; the system's text when that fails.
std::optional<std::string> TurnOffSnipping() {
  const DWORD off = 0;
  const LSTATUS status = RegSetKeyValueA(HKEY_CURRENT_USER, kSnippingKeyPath, kSnippingValueName,
                                         REG_DWORD, &off, sizeof off);
  if (status == ERROR_SUCCESS) return std::nullopt;
  char text[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(status), 0, text, sizeof text, nullptr);
  return std::string(text[0] != '\0' ? text : "error " + std::to_string(status));
}

}  // namespace

TMsgForm::TMsgForm() {
  RegisterClassOnce(vistrel::WindowThunk<TMsgForm, &TMsgForm::OnMessage>);
  // A plain top-level window, never shown: the capture's walk starts from
  // its place among the top-level windows, so it must not be message-only.
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                            nullptr, ModuleInstance(), this);
  if (window_ == nullptr)
    throw std::runtime_error("Unable to create the window for the PrintScreen hotkey.");
}

TMsgForm::~TMsgForm() {
  ReleaseHotkey();
  if (window_ != nullptr && IsWindow(window_)) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void TMsgForm::RegisterHotkey(HWND notifyWindow) {
  EngineState& engine = Engine();
  engine.NotifyWindow = notifyWindow;
  engine.HotkeyAtom = GlobalAddAtomA(kHotkeyAtomName);
  if (engine.HotkeyAtom == 0) ShowMessage(kAtomErrorText);
  // Tried even without the atom, so both messages can appear.
  TakeKey();
}

void TMsgForm::ChangeHotkey() {
  if (registered_) {
    UnregisterHotKey(window_, Engine().HotkeyAtom);
    registered_ = false;
  }
  TakeKey();
}

void TMsgForm::TakeKey() {
  EngineState& engine = Engine();
  const Hotkey key = engine.CaptureKey;
  registered_ = RegisterHotKey(window_, engine.HotkeyAtom, key.modifiers, key.key) != FALSE;
  // Say why the key may not come here, and offer to give it back from the
  // system's snipping tool; the setting changes only when the user says yes.
  const HotkeyReport report =
      ReportHotkey(registered_, IsPlainPrintScreen(key) ? SnippingSetting() : std::nullopt,
                   engine.CaptureKeyText);
  if (report.text.empty()) return;
  if (!report.askToTurnOffSnipping) {
    ShowMessage(report.text);
    return;
  }
  if (!AskQuestion(report.text)) return;
  if (std::optional<std::string> failure = TurnOffSnipping()) {
    ShowMessage(SnippingNotChangedText(*failure));
    return;
  }
  if (!registered_) {
    registered_ = RegisterHotKey(window_, engine.HotkeyAtom, key.modifiers, key.key) != FALSE;
    if (!registered_) ShowMessage(ReportHotkey(false, std::nullopt).text);
  }
}

void TMsgForm::ReleaseHotkey() {
  EngineState& engine = Engine();
  if (registered_) {
    UnregisterHotKey(window_, engine.HotkeyAtom);
    registered_ = false;
  }
  if (engine.HotkeyAtom != 0) {
    GlobalDeleteAtom(engine.HotkeyAtom);
    engine.HotkeyAtom = 0;
  }
}

void TMsgForm::WMHotKey(WPARAM id) {
  EngineState& engine = Engine();
  if (id != engine.HotkeyAtom) return;
  // Synchronous: the program captures inside this call, on this thread.
  SendMessageA(engine.NotifyWindow, WM_MOUSEMOVE, static_cast<WPARAM>(kCaptureCommandW),
               static_cast<LPARAM>(kCaptureCommandL));
}

void TMsgForm::FormClose() { ReleaseHotkey(); }

LRESULT TMsgForm::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HOTKEY:
      WMHotKey(wParam);
      return 0;
    // The capture Transfer promised to the clipboard.
    case WM_RENDERFORMAT:
      if (Engine().CapturePromised)
        RenderPromisedFormat(static_cast<UINT>(wParam), Engine().CaptureBitmap);
      return 0;
    case WM_RENDERALLFORMATS:
      if (Engine().CapturePromised) {
        Engine().CapturePromised = false;
        RenderEveryPromisedFormat(window, Engine().CaptureBitmap);
      }
      return 0;
    case WM_DESTROYCLIPBOARD:
      Engine().CapturePromised = false;
      return 0;
    case WM_CLOSE:
      // The form only hides on close; it gives up the hot key all the same.
      FormClose();
      ShowWindow(window, SW_HIDE);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vistlib
