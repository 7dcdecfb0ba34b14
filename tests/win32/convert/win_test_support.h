#pragma once
// Putting known pictures on the clipboard and reading them back, for the
// component's Windows tests and its probe.
#include <windows.h>

#include <optional>
#include <string>

#include "image.h"

namespace tiffdll::test {

// The picture as a device-dependent bitmap in CF_BITMAP, as the program puts it.
bool PutBitmapOnClipboard(const Image& image);
// A packed DIB block as CF_DIB only.
bool PutDibOnClipboard(const void* dib, size_t size);
bool EmptyTheClipboard();
// CF_BITMAP read back through GetDIBits.
std::optional<Image> ReadBitmapFromClipboard();

// A picture with smooth areas, sharp edges and every pixel's position in it.
Image TestPicture(int width, int height);

}  // namespace tiffdll::test
