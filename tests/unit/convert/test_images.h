#pragma once
// Small pictures with known pixels for the converter's tests.
#include "image.h"

namespace tiffdll::test {

// Every pixel different: red = x * 40, green = y * 50, blue = x + y * w.
inline Image Numbered(int w, int h) {
  Image image(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.Pixel(x, y);
      p[0] = static_cast<uint8_t>(x * 40);
      p[1] = static_cast<uint8_t>(y * 50);
      p[2] = static_cast<uint8_t>(x + y * w);
    }
  }
  return image;
}

inline Image Filled(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  Image image(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.Pixel(x, y);
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
  }
  return image;
}

}  // namespace tiffdll::test
