#pragma once
// Which picture format the clipboard's owner placed. Formats are listed in
// the order they were placed; the ones Windows can make from them follow, and
// making them converts the whole picture. Call with the clipboard open.
#include <windows.h>

namespace vistrel {

inline bool DibWasPlaced() {
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    if (format == CF_DIB || format == CF_DIBV5) return true;
    if (format == CF_BITMAP) return false;
  }
  return false;
}

}  // namespace vistrel
