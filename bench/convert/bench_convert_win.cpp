// Times ConvertImage on a picture loaded from a BMP file and put on the
// clipboard, as the program does before each call.
// Usage: bench_convert <picture.bmp> <output folder> <runs>
// Prints "<ext> <median ms> <bytes>" for png and jpg.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "conversion_client_win.h"

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string folder = argv[2];
  const int runs = std::max(1, std::atoi(argv[3]));
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  auto& component = vistrel::TheConversionComponent();
  if (!component.Create()) {
    std::printf("create failed\n");
    return 1;
  }
  // A device-dependent bitmap, like the program's capture.
  auto bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, argv[1], IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!bitmap || !OpenClipboard(owner)) {
    std::printf("setup failed\n");
    return 1;
  }
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, bitmap);
  CloseClipboard();

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (const char* ext : {"png", "jpg"}) {
    const std::string path = folder + "\\bench." + ext;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      int32_t result = component.ConvertImage("source=clipboard, dest=" + path);
      QueryPerformanceCounter(&end);
      if (result != 0) {
        std::printf("%s failed %d\n", ext, static_cast<int>(result));
        return 1;
      }
      times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                      static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    double median = runs % 2 ? times[runs / 2] : (times[runs / 2 - 1] + times[runs / 2]) / 2;
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &facts);
    std::printf("%s %.2f %lu\n", ext, median, static_cast<unsigned long>(facts.nFileSizeLow));
  }
  component.Release();
  CoUninitialize();
  return 0;
}
