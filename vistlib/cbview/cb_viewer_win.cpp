#include "cb_viewer_win.h"
#include "dpi_win.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "window_class_win.h"

namespace vistlib::cbview {
namespace {

constexpr int kPanelHeight = 41;
constexpr int kButtonWidth = 177, kButtonHeight = 25, kButtonMargin = 8;
constexpr int kDefaultLeft = 269, kDefaultTop = 121, kDefaultWidth = 696, kDefaultHeight = 480;

class RegistryKey {
 public:
  RegistryKey() {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kPlacementKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool Read(const char* name, LONG& value) const {
    DWORD data = 0, size = sizeof data, type = 0;
    if (key_ == nullptr ||
        RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
      return false;
    value = static_cast<LONG>(data);
    return true;
  }
  void Write(const char* name, LONG value) const {
    const DWORD data = static_cast<DWORD>(value);
    if (key_ != nullptr)
      RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  }

 private:
  HKEY key_ = nullptr;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && IsWindowEnabled(window))
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

}  // namespace

TCBViewer::TCBViewer() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  if (!RegisterWindowClass(kCBViewerClassName, 0, COLOR_BTNFACE,
                           vistrel::WindowThunk<TCBViewer, &TCBViewer::OnMessage>))
    throw std::runtime_error("The clipboard viewer's window class could not be registered.");
  const int dpi = vistrel::SystemDpi();
  CreateWindowExA(0, kCBViewerClassName, kCBViewerCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  kDefaultLeft, kDefaultTop, vistrel::Scaled(kDefaultWidth, dpi),
                  vistrel::Scaled(kDefaultHeight, dpi), GetActiveWindow(), nullptr,
                  ModuleInstance(), this);
  if (window_ == nullptr) throw std::runtime_error("The clipboard viewer could not be opened.");
  dpi_ = vistrel::WindowDpi(window_);
  button_ = CreateWindowExA(
      0, "BUTTON", "&Back to Vistrel Wizard", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
      0, 0, kButtonWidth, kButtonHeight, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUnloadButtonId)), ModuleInstance(), nullptr);
  SetButtonFont();
  statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                               0, 0, 0, window_, nullptr, ModuleInstance(), nullptr);
  RECT place{0, kPanelHeight, 1, kPanelHeight + 1};
  ClipboardViewer1 =
      std::make_unique<TClipboardViewer>(window_, place, [this](const std::string& note) {
        if (statusBar_ != nullptr) SetWindowTextA(statusBar_, note.c_str());
      });
  ReadPlacement();
  Layout();
}

TCBViewer::~TCBViewer() {
  ClipboardViewer1.reset();
  if (window_ != nullptr) DestroyWindow(window_);
  if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
}

// The button's face at the DPI the window is laid out for.
void TCBViewer::SetButtonFont() {
  LOGFONTA face{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
  face.lfHeight = MulDiv(face.lfHeight, dpi_, vistrel::SystemDpi());
  HFONT font = CreateFontIndirectA(&face);
  SendMessageA(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
  buttonFont_ = font;
}

void TCBViewer::ReadPlacement() {
  RegistryKey key;
  RECT frame;
  GetWindowRect(window_, &frame);
  LONG left = frame.left, top = frame.top, width = frame.right - frame.left,
       height = frame.bottom - frame.top;
  key.Read("Left", left);
  key.Read("Top", top);
  key.Read("Width", width);
  key.Read("Height", height);
  SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCBViewer::WritePlacement() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window_, &placement)) return;
  // The normal place, also when the window was left minimised or maximised.
  const RECT& frame = placement.rcNormalPosition;
  RegistryKey key;
  key.Write("Top", frame.top);
  key.Write("Left", frame.left);
  key.Write("Width", frame.right - frame.left);
  key.Write("Height", frame.bottom - frame.top);
}

void TCBViewer::Layout() {
  RECT client;
  GetClientRect(window_, &client);
  SendMessageA(statusBar_, WM_SIZE, 0, 0);
  RECT bar{};
  GetWindowRect(statusBar_, &bar);
  const int barHeight = bar.bottom - bar.top;
  auto scaled = [this](int length) { return vistrel::Scaled(length, dpi_); };
  const int panelHeight = scaled(kPanelHeight);
  MoveWindow(button_, client.right - scaled(kButtonWidth) - scaled(kButtonMargin),
             (panelHeight - scaled(kButtonHeight)) / 2, scaled(kButtonWidth), scaled(kButtonHeight),
             TRUE);
  if (ClipboardViewer1 && ClipboardViewer1->Handle() != nullptr) {
    MoveWindow(ClipboardViewer1->Handle(), 0, panelHeight, client.right,
               std::max(0, static_cast<int>(client.bottom) - panelHeight - barHeight), TRUE);
  }
}

void TCBViewer::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  SetFocus(button_);
}

void TCBViewer::ShowModal() {
  disabled_.clear();
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&disabled_));
  std::erase(disabled_, window_);
  for (HWND other : disabled_) EnableWindow(other, FALSE);
  Show();
  MSG message;
  while (window_ != nullptr) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      // Leave the quit request for the program's own loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    if (window_ != nullptr && IsDialogMessageA(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  FormClose();
}

void TCBViewer::FormClose() {
  // The other windows come back before this one goes, so that the one that
  // opened the viewer is activated again rather than another program.
  for (HWND other : disabled_)
    if (IsWindow(other)) EnableWindow(other, TRUE);
  disabled_.clear();
  if (window_ == nullptr) return;
  WritePlacement();
  // Destroyed, not hidden: the viewer leaves the clipboard chain with it.
  ClipboardViewer1.reset();
  DestroyWindow(window_);
}

LRESULT TCBViewer::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const KeptHandle kept(window_, window, message);
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kUnloadButtonId || LOWORD(wParam) == IDOK ||
          LOWORD(wParam) == IDCANCEL) {
        FormClose();
        return 0;
      }
      break;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {vistrel::Scaled(kButtonWidth + 4 * kButtonMargin, dpi_),
                                vistrel::Scaled(kPanelHeight * 3, dpi_)};
      return 0;
    }
    case WM_DPICHANGED: {
      // Moved onto a monitor of another DPI: the suggested size, the button's
      // face and the places of the children for it.
      dpi_ = HIWORD(wParam);
      SetButtonFont();
      vistrel::TakeSuggestedRect(window_, lParam);
      Layout();
      return 0;
    }
    case WM_QUERYNEWPALETTE:
      // The palette grid realises its palette when it paints.
      RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
      return TRUE;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vistlib::cbview
