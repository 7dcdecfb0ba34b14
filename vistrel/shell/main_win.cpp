// Start-up: the hidden main window that receives vistlib's notifications.
#include <windows.h>

#include "vistlib_client_win.h"

namespace {

constexpr char kMainClass[] = "VistrelMainform";

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      vistrel::VistlibClient::Instance().Quit();
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = MainProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kMainClass;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  if (!RegisterClassA(&windowClass)) return 1;
  HWND mainform = CreateWindowExA(0, kMainClass, "Tarnwick Vistrel", WS_OVERLAPPEDWINDOW, 0, 0,
                                  100, 100, nullptr, nullptr, instance, nullptr);
  if (mainform == nullptr) return 1;
  vistrel::VistlibClient::Instance().Init(mainform);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
