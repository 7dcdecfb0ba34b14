// A second process for the engine's tests.
//
//   engine_helper hold READY_EVENT STOP_EVENT
//       registers Print Screen for itself, sets READY_EVENT, and keeps the key
//       until STOP_EVENT is set (at most a minute); exit code 3 when the key
//       could not be registered.
//   engine_helper probe [CAPTURE_FILE]
//       loads vistlib.dll by name, shows the window "Vistrel engine probe" and
//       gives it to Init; prints "capture command" for every capture command
//       it receives. Posting WM_APP+1 to the window makes it call Cheese("0")
//       and Transfer and write the clipboard's bitmap to CAPTURE_FILE as a
//       32-bit top-down BMP, then print "captured". Ends on WM_CLOSE.
#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "vistlib.h"

namespace {

constexpr char kProbeClass[] = "VistrelEngineProbe";
constexpr UINT kCaptureRequest = WM_APP + 1;

HMODULE g_library = nullptr;
std::string g_captureFile;

template <typename Fn>
Fn Export(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(g_library, name)));
}

bool WriteClipboardBitmap(const std::string& path) {
  if (!OpenClipboard(nullptr)) return false;
  auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP info{};
  bool ok = bitmap != nullptr && GetObjectA(bitmap, sizeof info, &info) != 0;
  std::vector<uint32_t> pixels;
  BITMAPINFOHEADER header{};
  if (ok) {
    header.biSize = sizeof header;
    header.biWidth = info.bmWidth;
    header.biHeight = -info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    ok = GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(),
                   reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == info.bmHeight;
    ReleaseDC(nullptr, screen);
  }
  CloseClipboard();
  if (!ok) return false;
  header.biSizeImage = static_cast<DWORD>(pixels.size() * 4);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&header, sizeof header, 1, out);
  std::fwrite(pixels.data(), 4, pixels.size(), out);
  return std::fclose(out) == 0;
}

LRESULT CALLBACK ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (GET_X_LPARAM(lParam) == -456 && static_cast<DWORD>(wParam) == 0xFFFFFF85) {
        std::printf("capture command\n");
        std::fflush(stdout);
      }
      return 0;
    case kCaptureRequest:
      Export<vistlib::CheeseFn>("Cheese")("0");
      Export<vistlib::TransferFn>("Transfer")();
      std::printf(WriteClipboardBitmap(g_captureFile) ? "captured\n" : "capture failed\n");
      std::fflush(stdout);
      return 0;
    case WM_ERASEBKGND: {
      // Bands of known colours, so a capture can be checked against them.
      RECT client;
      GetClientRect(window, &client);
      const COLORREF bands[] = {RGB(255, 0, 0),   RGB(0, 255, 0), RGB(0, 0, 255),
                                RGB(255, 255, 0), RGB(0, 0, 0),   RGB(255, 255, 255),
                                RGB(18, 52, 86)};
      int count = static_cast<int>(sizeof bands / sizeof bands[0]);
      for (int i = 0; i < count; ++i) {
        RECT band = client;
        band.left = client.right * i / count;
        band.right = client.right * (i + 1) / count;
        HBRUSH brush = CreateSolidBrush(bands[i]);
        FillRect(reinterpret_cast<HDC>(wParam), &band, brush);
        DeleteObject(brush);
      }
      return 1;
    }
    case WM_CLOSE:
      Export<vistlib::QuitFn>("Quit")();
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Probe() {
  g_library = LoadLibraryA("vistlib.dll");
  if (g_library == nullptr) return 4;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ProbeProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kProbeClass;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&windowClass);
  HWND window =
      CreateWindowExA(0, kProbeClass, "Vistrel engine probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200,
                      150, 700, 400, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 5;
  Export<vistlib::InitFn>("Init")(reinterpret_cast<vistlib::WindowHandle>(window));
  std::printf("ready\n");
  std::fflush(stdout);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

int Hold(const char* readyName, const char* stopName) {
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName);
  HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, stopName);
  if (ready == nullptr || stop == nullptr) return 2;
  if (!RegisterHotKey(nullptr, 1, 0, VK_SNAPSHOT)) return 3;
  SetEvent(ready);
  WaitForSingleObject(stop, 60000);
  UnregisterHotKey(nullptr, 1);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
  if (argc >= 2 && std::strcmp(argv[1], "probe") == 0) {
    if (argc >= 3) g_captureFile = argv[2];
    return Probe();
  }
  return 1;
}
