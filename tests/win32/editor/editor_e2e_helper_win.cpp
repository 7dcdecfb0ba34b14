// editor_e2e_helper target L T W H   shows "Editor target", solid blue, until closed
// editor_e2e_helper click X Y         moves over and clicks the editor's image at (X, Y)
// editor_e2e_helper command ID        sends the editor the command ID
// editor_e2e_helper info              prints the editor's status label
// editor_e2e_helper rect ID           prints the screen rectangle of the editor's control ID
#include <windows.h>

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

HWND Editor() {
  HWND form = FindWindowA("TVisEditForm", nullptr);
  return form != nullptr && IsWindowVisible(form) ? form : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "target") == 0)
    return Target(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  HWND form = Editor();
  if (form == nullptr) return 1;
  if (argc == 4 && std::strcmp(argv[1], "click") == 0) {
    HWND panel = GetDlgItem(form, IDC_PANEL2);
    const LPARAM at = MAKELPARAM(std::atoi(argv[2]), std::atoi(argv[3]));
    SendMessageA(panel, WM_MOUSEMOVE, 0, at);
    SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(panel, WM_LBUTTONUP, 0, at);
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
  if (argc == 2 && std::strcmp(argv[1], "info") == 0) {
    char text[256] = {};
    GetWindowTextA(GetDlgItem(form, IDC_INFOLBL), text, sizeof text);
    std::printf("%s\n", text);
    return 0;
  }
  return 2;
}
