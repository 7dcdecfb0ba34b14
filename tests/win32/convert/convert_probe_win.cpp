// Test helper: puts a known picture on the clipboard, writes it as a BMP
// reference and through the component in every format, and prints each
// result number. Usage: convert_probe <folder> [width height]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "conversion_client_win.h"
#include "win_test_support.h"

namespace {

bool WriteBmp(const std::string& path, const tiffdll::Image& image) {
  const int stride = (image.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = image.width;
  info.biHeight = image.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * image.height);
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.Pixel(x, y);
      row[x * 3] = p[2];
      row[x * 3 + 1] = p[1];
      row[x * 3 + 2] = p[0];
    }
    std::fwrite(row.data(), row.size(), 1, out);
  }
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  const int width = argc > 3 ? std::atoi(argv[2]) : 301;
  const int height = argc > 3 ? std::atoi(argv[3]) : 173;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  auto& component = vistrel::TheConversionComponent();
  if (!component.Create()) {
    std::printf("create failed\n");
    return 1;
  }
  tiffdll::Image picture = tiffdll::test::TestPicture(width, height);
  if (!WriteBmp(folder + "\\reference.bmp", picture) || !tiffdll::test::PutBitmapOnClipboard(picture)) {
    std::printf("setup failed\n");
    return 1;
  }
  for (const char* ext : {"png", "jpg", "tif", "pcx", "dcx"}) {
    std::string command = "source=clipboard, dest=" + folder + "\\out." + ext;
    std::printf("%s %d\n", ext, static_cast<int>(component.ConvertImage(command)));
  }
  std::printf("missing %d\n",
              static_cast<int>(component.ConvertImage("source=clipboard, dest=" + folder +
                                                      "\\no such folder\\out.png")));
  std::fflush(stdout);
  component.Release();
  CoUninitialize();
  return 0;
}
