// editor_e2e_helper target L T W H   shows "Editor target", solid blue, until closed
// editor_e2e_helper secret L T W H TEXT  shows "Secret holder", white, with a child control
//                                      at (10, 10) of W-20 x H-20 showing TEXT, black, large
// editor_e2e_helper click X Y         moves over and clicks the editor's image at (X, Y)
// editor_e2e_helper command ID        sends the editor the command ID
// editor_e2e_helper drag X0 Y0 X1 Y1   presses at (X0, Y0) on the image, moves to (X1, Y1), lets go
// editor_e2e_helper type TEXT         types TEXT into the editor ("|" is Enter)
// editor_e2e_helper key VK            presses and lets go the virtual key VK
// editor_e2e_helper undoable          exit 0 when the editor has a change to undo
// editor_e2e_helper info              prints the editor's status label
// editor_e2e_helper rect ID           prints the screen rectangle of the editor's control ID
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor_res.h"

namespace {

LRESULT CALLBACK TargetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

int Target(int left, int top, int width, int height) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = TargetProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VistrelEditorTarget";
  windowClass.hbrBackground = CreateSolidBrush(RGB(20, 40, 220));
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Editor target",
                                WS_POPUP | WS_VISIBLE, left, top, width, height, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  if (window == nullptr) return 3;
  std::printf("ready\n");
  std::fflush(stdout);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

int Secret(int left, int top, int width, int height, const char* text) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = TargetProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VistrelSecretHolder";
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Secret holder",
                                WS_POPUP | WS_VISIBLE, left, top, width, height, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  if (window == nullptr) return 3;
  HWND label =
      CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, width - 20,
                      height - 20, window, nullptr, windowClass.hInstance, nullptr);
  HFONT font = CreateFontA(-32, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0,
                           NONANTIALIASED_QUALITY, 0, "Arial");
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  UpdateWindow(window);
  std::printf("ready\n");
  std::fflush(stdout);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

HWND Editor() {
  HWND form = FindWindowA("TVisEditForm", nullptr);
  return form != nullptr && IsWindowVisible(form) ? form : nullptr;
}

// The real pointer goes where the messages say it is: the system's own move
// from wherever the pointer last stood (over a tool bar, say) would end the
// hover the messages start.
void PointerTo(HWND panel, int x, int y) {
  POINT at{x, y};
  ClientToScreen(panel, &at);
  SetCursorPos(at.x, at.y);
  Sleep(200);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "target") == 0)
    return Target(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  if (argc == 7 && std::strcmp(argv[1], "secret") == 0)
    return Secret(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                  argv[6]);
  HWND form = Editor();
  if (form == nullptr) return 1;
  if (argc == 4 && std::strcmp(argv[1], "click") == 0) {
    HWND panel = GetDlgItem(form, IDC_PANEL2);
    const LPARAM at = MAKELPARAM(std::atoi(argv[2]), std::atoi(argv[3]));
    PointerTo(panel, std::atoi(argv[2]), std::atoi(argv[3]));
    SendMessageA(panel, WM_MOUSEMOVE, 0, at);
    SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(panel, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (argc == 6 && std::strcmp(argv[1], "drag") == 0) {
    HWND panel = GetDlgItem(form, IDC_PANEL2);
    const int x0 = std::atoi(argv[2]), y0 = std::atoi(argv[3]);
    const int x1 = std::atoi(argv[4]), y1 = std::atoi(argv[5]);
    PointerTo(panel, x1, y1);
    SendMessageA(panel, WM_MOUSEMOVE, 0, MAKELPARAM(x0, y0));
    SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
    for (int i = 1; i <= 8; ++i)
      SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON,
                   MAKELPARAM(x0 + (x1 - x0) * i / 8, y0 + (y1 - y0) * i / 8));
    SendMessageA(panel, WM_LBUTTONUP, 0, MAKELPARAM(x1, y1));
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "type") == 0) {
    // Through the editor's own queue, where its loop reads keys.
    for (const char* c = argv[2]; *c != '\0'; ++c) {
      if (*c == '|') {
        PostMessageA(form, WM_KEYDOWN, VK_RETURN, 1);
      } else {
        PostMessageA(form, WM_CHAR, static_cast<unsigned char>(*c), 1);
      }
    }
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "key") == 0) {
    PostMessageA(form, WM_KEYDOWN, std::atoi(argv[2]), 1);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "command") == 0) {
    PostMessageA(form, WM_COMMAND, std::atoi(argv[2]), 0);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "rect") == 0) {
    RECT rect{};
    GetWindowRect(GetDlgItem(form, std::atoi(argv[2])), &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "undoable") == 0)
    return SendMessageA(GetDlgItem(form, IDC_MARKBAR), TB_ISBUTTONENABLED, IDC_UNDO, 0) ? 0 : 4;
  if (argc == 2 && std::strcmp(argv[1], "info") == 0) {
    char text[256] = {};
    GetWindowTextA(GetDlgItem(form, IDC_INFOLBL), text, sizeof text);
    std::printf("%s\n", text);
    return 0;
  }
  return 2;
}
