// Grayscale of a full 1920x1080 selection as the editor does it (grayscale
// JPEG of quality 90 in memory and back), and saving 60 regions of the same
// image, each the median of 10 runs. Writes the picture as a PPM for the
// peer run by the script.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "edit_document.h"
#include "operations.h"

namespace {

// Something like a desktop: flat windows with title bars, gradients and
// text-like noise.
vistlib::Image ScreenLike() {
  vistlib::Image image(1920, 1080);
  unsigned seed = 12345;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      uint32_t pixel = static_cast<uint32_t>((x * 255 / 1920) << 16 | (y * 255 / 1080) << 8 | 0x80);
      if ((x / 240 + y / 180) % 3 == 0) pixel = 0xF0F0F0;
      if (y % 180 < 22 && (x / 240 + y / 180) % 3 == 0) pixel = 0x1040A0;
      seed = seed * 1103515245 + 12345;
      if (pixel == 0xF0F0F0 && (seed >> 16) % 11 == 0) pixel = 0x202020;
      image.At(x, y) = pixel;
    }
  return image;
}

template <typename Body>
double MedianMs(Body body) {
  std::vector<double> times;
  for (int i = 0; i < 10; ++i) {
    const auto start = std::chrono::steady_clock::now();
    body();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return (times[4] + times[5]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const vistlib::Image image = ScreenLike();
  if (argc > 1) {
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", image.width, image.height);
    for (uint32_t pixel : image.pixels) {
      const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16),
                                    static_cast<unsigned char>(pixel >> 8),
                                    static_cast<unsigned char>(pixel)};
      std::fwrite(rgb, 1, 3, out);
    }
    std::fclose(out);
  }
  const double gray = MedianMs([&] {
    vistlib::Image region = image;
    auto decoded = vistlib::DecodeJpeg(vistlib::EncodeGrayJpeg(region, 90));
    if (decoded) region = std::move(*decoded);
  });
  vistlib::WindowTable table;
  table.Reset();
  for (int i = 1; i <= 60; ++i) {
    table.WindowRects[i] = {(i * 29) % 1400, (i * 17) % 700, (i * 29) % 1400 + 500, (i * 17) % 700 + 380};
  }
  table.WindowRects[1] = {0, 0, 1920, 1080};
  table.WindowCount = 60;
  vistlib::EditDocument document(table);
  document.image = image;
  const double regions = MedianMs([&] { document.SaveRegions(); });
  std::printf("%.2f %.2f\n", gray, regions);
  return 0;
}
