#pragma once
// Bitmap-like bytes for the packer's tests: rows of BGR pixels as a capture's
// BMP holds them.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace ziptest {

using PictureBytes = std::vector<unsigned char>;

// Roughly normal noise in [-spread, spread], the same for the same seed.
struct Noise {
  uint32_t state;
  int Next(int spread) {
    int sum = 0;
    for (int i = 0; i < 4; ++i) {
      state = state * 1664525u + 1013904223u;
      sum += static_cast<int>((state >> 16) % (2 * static_cast<uint32_t>(spread) + 1)) - spread;
    }
    return sum / 2;
  }
};

inline unsigned char ClampByte(double v) {
  return static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// A photograph's texture: colours that wander from pixel to pixel and row to
// row, with sensor-like noise on top. Matches are short and rare; the byte
// values in use change along each row.
inline PictureBytes PhotoLike(int width, int height, uint32_t seed) {
  PictureBytes b;
  b.reserve(static_cast<std::size_t>(width) * height * 3);
  Noise noise{seed};
  std::vector<double> above(static_cast<std::size_t>(width) * 3, 128.0);
  for (int y = 0; y < height; ++y) {
    double colour[3] = {128.0, 128.0, 128.0};
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        double& up = above[static_cast<std::size_t>(x) * 3 + c];
        colour[c] = 0.5 * (colour[c] + up) + 0.5 * noise.Next(3) + 0.25 * noise.Next(3);
        colour[c] = colour[c] < 20 ? 20 : colour[c] > 235 ? 235 : colour[c];
        up = colour[c];
        b.push_back(ClampByte(colour[c] + noise.Next(4)));
      }
    }
  }
  return b;
}

// A desktop: a shaded background, a window with lines of "text".
inline PictureBytes DesktopLike(int width, int height) {
  PictureBytes b;
  b.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool window = x > width / 8 && x < width * 3 / 4 && y > 20 && y < height - 30;
      const bool ink = window && (y % 16) < 11 && ((x * 7 + y * 3) % 13) < 4 && (x / 40) % 5 != 4;
      const unsigned char shade = ink ? 0 : window ? 240 : static_cast<unsigned char>(60 + y / 8);
      b.push_back(shade);
      b.push_back(window ? shade : static_cast<unsigned char>(shade + 40));
      b.push_back(window ? shade : static_cast<unsigned char>(shade + 90));
    }
  }
  return b;
}

inline std::string AsString(const PictureBytes& b) { return std::string(b.begin(), b.end()); }

}  // namespace ziptest
