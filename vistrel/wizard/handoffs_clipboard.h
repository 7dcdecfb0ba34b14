#pragma once
// The blocks the clipboard copy places, built without Windows: a packed DIB
// (24-bit, what every program reads), a version-5 DIB (32-bit with an opaque
// alpha channel and the sRGB colour space, what newer programs prefer) and a
// PNG file (lossless, what office suites and browsers paste). Windows makes
// the device-dependent bitmap from the DIB for programs that ask for that.
#include <cstdint>
#include <optional>
#include <vector>

namespace vistrel::wizard {

// The name under which programs register the PNG clipboard format.
inline constexpr char kPngClipboardFormat[] = "PNG";

struct ClipboardBlocks {
  std::vector<uint8_t> dib;    // CF_DIB
  std::vector<uint8_t> dibV5;  // CF_DIBV5
  std::vector<uint8_t> png;    // the registered "PNG" format
};

// From `width` x `height` pixels, 0x00RRGGBB, rows top-down. Nothing when the
// picture is empty, too large for the clipboard, or the PNG cannot be made.
std::optional<ClipboardBlocks> MakeClipboardBlocks(int width, int height,
                                                   const std::vector<uint32_t>& pixels);

}  // namespace vistrel::wizard
