#include "effects.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "number_text.h"
#include "result_codes.h"

namespace tiffdll {
namespace {

// One axis of a separable resampling: for each destination index, the source
// indices it reads and their weights (summing to 1).
struct Tap {
  int first = 0;
  std::vector<float> weights;
};

std::vector<Tap> AxisTaps(int from, int to) {
  std::vector<Tap> taps(static_cast<size_t>(to));
  const double scale = static_cast<double>(from) / to;
  if (to < from) {
    // Area averaging: destination pixel i covers [i*scale, (i+1)*scale).
    for (int i = 0; i < to; ++i) {
      double a = i * scale, b = (i + 1) * scale;
      int first = static_cast<int>(std::floor(a));
      int last = std::min(from - 1, static_cast<int>(std::ceil(b)) - 1);
      Tap& tap = taps[static_cast<size_t>(i)];
      tap.first = first;
      for (int s = first; s <= last; ++s) {
        double cover = std::min<double>(b, s + 1) - std::max<double>(a, s);
        tap.weights.push_back(static_cast<float>(std::max(0.0, cover) / scale));
      }
    }
  } else {
    // Bilinear between the two nearest source pixel centres.
    for (int i = 0; i < to; ++i) {
      double centre = (i + 0.5) * scale - 0.5;
      centre = std::clamp(centre, 0.0, static_cast<double>(from - 1));
      int first = static_cast<int>(std::floor(centre));
      double t = centre - first;
      Tap& tap = taps[static_cast<size_t>(i)];
      tap.first = first;
      if (first + 1 < from && t > 0) {
        tap.weights = {static_cast<float>(1 - t), static_cast<float>(t)};
      } else {
        tap.weights = {1.0f};
      }
    }
  }
  return taps;
}

// Weighted sums of bytes are never negative; clamp guards the top against
// rounding noise.
uint8_t ToByte(float v) { return static_cast<uint8_t>(std::min(v, 255.0f) + 0.5f); }

}  // namespace

std::optional<std::pair<int, int>> RescaledSize(const Image& source, double width) {
  double w = vistrel::RoundHalfEven(width);
  if (w < 1 || w > kMaxSide) return std::nullopt;
  double h = vistrel::RoundHalfEven(static_cast<double>(source.height) * w / source.width);
  h = std::max(1.0, h);
  if (!SizeAllowed(static_cast<int64_t>(w), static_cast<int64_t>(h))) return std::nullopt;
  return std::pair<int, int>(static_cast<int>(w), static_cast<int>(h));
}

Image Rescale(const Image& source, int width, int height) {
  if (width == source.width && height == source.height) return source;
  // Horizontal pass into a float buffer, then vertical pass into bytes.
  std::vector<Tap> xt = AxisTaps(source.width, width);
  std::vector<Tap> yt = AxisTaps(source.height, height);
  std::vector<float> mid(static_cast<size_t>(width) * source.height * 3);
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* in = source.Row(y);
    float* out = mid.data() + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      const Tap& tap = xt[static_cast<size_t>(x)];
      float r = 0, g = 0, b = 0;
      const uint8_t* p = in + static_cast<size_t>(tap.first) * 3;
      for (float w : tap.weights) {
        r += w * p[0];
        g += w * p[1];
        b += w * p[2];
        p += 3;
      }
      out[x * 3] = r;
      out[x * 3 + 1] = g;
      out[x * 3 + 2] = b;
    }
  }
  Image result(width, height);
  const size_t midStride = static_cast<size_t>(width) * 3;
  std::vector<float> acc(midStride);
  for (int y = 0; y < height; ++y) {
    const Tap& tap = yt[static_cast<size_t>(y)];
    std::fill(acc.begin(), acc.end(), 0.0f);
    for (size_t k = 0; k < tap.weights.size(); ++k) {
      const float* row = mid.data() + static_cast<size_t>(tap.first + static_cast<int>(k)) * midStride;
      const float w = tap.weights[k];
      for (size_t i = 0; i < midStride; ++i) acc[i] += w * row[i];
    }
    uint8_t* out = result.Row(y);
    for (size_t i = 0; i < midStride; ++i) out[i] = ToByte(acc[i]);
  }
  return result;
}

void Invert(Image& image) {
  for (uint8_t& v : image.rgb) v = static_cast<uint8_t>(~v);
}

void MirrorLeftRight(Image& image) {
  for (int y = 0; y < image.height; ++y) {
    for (int l = 0, r = image.width - 1; l < r; ++l, --r) {
      std::swap_ranges(image.Pixel(l, y), image.Pixel(l, y) + 3, image.Pixel(r, y));
    }
  }
}

void MirrorTopBottom(Image& image) {
  for (int t = 0, b = image.height - 1; t < b; ++t, --b) {
    std::swap_ranges(image.Row(t), image.Row(t) + image.Stride(), image.Row(b));
  }
}

std::optional<Image> Rotate(const Image& source, double degrees) {
  double a = std::fmod(degrees, 360.0);
  if (a < 0) a += 360.0;
  const int w = source.width, h = source.height;
  if (a == 0) return source;
  if (a == 90 || a == 270) {
    Image out(h, w);
    constexpr int kTile = 64;  // keeps the rows read and written in cache
    for (int ty = 0; ty < out.height; ty += kTile) {
      for (int tx = 0; tx < out.width; tx += kTile) {
        for (int y = ty; y < std::min(ty + kTile, out.height); ++y) {
          for (int x = tx; x < std::min(tx + kTile, out.width); ++x) {
            // Clockwise: the source's left column becomes the top row.
            int sx = a == 90 ? y : w - 1 - y;
            int sy = a == 90 ? h - 1 - x : x;
            std::copy_n(source.Pixel(sx, sy), 3, out.Pixel(x, y));
          }
        }
      }
    }
    return out;
  }
  if (a == 180) {
    Image out(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) std::copy_n(source.Pixel(w - 1 - x, h - 1 - y), 3, out.Pixel(x, y));
    }
    return out;
  }

  const double rad = a * std::acos(-1.0) / 180.0;
  const double c = std::cos(rad), s = std::sin(rad);
  // The canvas that holds the turned rectangle; a hair of tolerance keeps
  // rounding noise from adding a column of white.
  const double cw = std::fabs(w * c) + std::fabs(h * s);
  const double ch = std::fabs(w * s) + std::fabs(h * c);
  const int64_t ow = static_cast<int64_t>(std::ceil(cw - 1e-6));
  const int64_t oh = static_cast<int64_t>(std::ceil(ch - 1e-6));
  if (!SizeAllowed(ow, oh)) return std::nullopt;
  Image out(static_cast<int>(ow), static_cast<int>(oh), 255);
  const double ocx = ow / 2.0, ocy = oh / 2.0, icx = w / 2.0, icy = h / 2.0;

  static const uint8_t kWhite[3] = {255, 255, 255};
  auto at = [&](int x, int y) -> const uint8_t* {
    return x < 0 || y < 0 || x >= w || y >= h ? kWhite : source.Pixel(x, y);
  };
  for (int y = 0; y < oh; ++y) {
    const double dy = y + 0.5 - ocy;
    uint8_t* row = out.Row(y);
    for (int x = 0; x < ow; ++x) {
      const double dx = x + 0.5 - ocx;
      // Inverse of the clockwise turn (y grows downwards).
      const double u = dx * c + dy * s + icx - 0.5;
      const double v = -dx * s + dy * c + icy - 0.5;
      if (u <= -1 || v <= -1 || u >= w || v >= h) continue;
      const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
      const float fx = static_cast<float>(u - x0), fy = static_cast<float>(v - y0);
      // Neighbours outside the picture count as white, which softens the edge.
      const uint8_t* p00 = at(x0, y0);
      const uint8_t* p10 = at(x0 + 1, y0);
      const uint8_t* p01 = at(x0, y0 + 1);
      const uint8_t* p11 = at(x0 + 1, y0 + 1);
      const float w00 = (1 - fx) * (1 - fy), w10 = fx * (1 - fy), w01 = (1 - fx) * fy, w11 = fx * fy;
      for (int k = 0; k < 3; ++k) {
        row[x * 3 + k] = ToByte(w00 * p00[k] + w10 * p10[k] + w01 * p01[k] + w11 * p11[k]);
      }
    }
  }
  return out;
}

EffectsOutcome ApplyEffects(Image image, const Command& command) {
  if (command.width) {
    auto size = RescaledSize(image, *command.width);
    if (!size) return {std::nullopt, *command.width < 1 ? kWidthTooSmall : kTooLarge};
    if (size->first != image.width || size->second != image.height) {
      image = Rescale(image, size->first, size->second);
    }
  }
  if (command.invert) Invert(image);
  if (command.mirrorTopBottom) MirrorTopBottom(image);
  if (command.mirrorLeftRight) MirrorLeftRight(image);
  if (std::fmod(command.angle, 360.0) == 0) return {std::move(image), 0};
  auto turned = Rotate(image, command.angle);
  if (!turned) return {std::nullopt, kTooLarge};
  return {std::move(*turned), 0};
}

}  // namespace tiffdll
