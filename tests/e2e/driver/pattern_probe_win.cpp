// A known picture on the screen for the capture tests:
//   pattern_probe X Y W H   a window without a frame at X,Y, W by H pixels, in
//                           four quarters: red, green (top), blue, yellow (bottom);
//                           brought to the front, prints "ready" once painted and
//                           stays until it is ended
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

bool painted = false;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const int midX = client.right / 2;
    const int midY = client.bottom / 2;
    const struct {
      RECT rect;
      COLORREF color;
    } quarters[] = {{{0, 0, midX, midY}, RGB(255, 0, 0)},
                    {{midX, 0, client.right, midY}, RGB(0, 255, 0)},
                    {{0, midY, midX, client.bottom}, RGB(0, 0, 255)},
                    {{midX, midY, client.right, client.bottom}, RGB(255, 255, 0)}};
    for (const auto& quarter : quarters) {
      HBRUSH brush = CreateSolidBrush(quarter.color);
      FillRect(dc, &quarter.rect, brush);
      DeleteObject(brush);
    }
    EndPaint(window, &paint);
    if (!painted) {
      painted = true;
      std::printf("ready\n");
      std::fflush(stdout);
    }
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 || std::string_view(argv[1]) != "pattern") {
    std::fprintf(stderr, "usage: pattern_probe pattern X Y W H\n");
    return 2;
  }
  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  const int w = std::atoi(argv[4]), h = std::atoi(argv[5]);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VistrelPatternProbe";
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Pattern probe", WS_POPUP, x, y, w, h,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
