#pragma once
// The capture library hands its picture over through the clipboard (Transfer)
// and says nothing when it could not place it. The clipboard's sequence number
// moves with every change: unmoved after Transfer, nothing new was placed and
// what the clipboard still holds is an older picture; moved again before the
// picture was read, another program replaced it. It also moves when another
// program changes the clipboard while Transfer waits for it, so the clipboard
// must then belong to this process too: Transfer's window is ours. Otherwise
// the picture read is not the one handed over.
#include <cstdint>

namespace vistrel {

struct ClipboardHandover {
  uint32_t before = 0;     // sequence number before Transfer
  uint32_t placed = 0;     // after Transfer
  bool ours = false;       // after Transfer the clipboard belongs to a window of this process
  bool read = false;       // a picture was read back
  uint32_t afterRead = 0;  // after the read
};

// False when Transfer placed nothing: reading would only find an older picture.
constexpr bool HandoverPlaced(const ClipboardHandover& h) {
  return h.ours && (h.placed != h.before || h.placed == 0);
}

// True when the picture read is the one Transfer placed. A sequence number of 0
// throughout means the system keeps none for us; then only the read counts.
constexpr bool HandoverArrived(const ClipboardHandover& h) {
  if (!h.read || !h.ours) return false;
  if (h.before == 0 && h.placed == 0 && h.afterRead == 0) return true;
  return h.placed != h.before && h.afterRead == h.placed;
}

inline constexpr char kCaptureLostText[] =
    "The screen shot did not reach the wizard: another program was holding or changing the "
    "clipboard while it was handed over. Nothing was saved, printed or sent. Please take the "
    "screen shot again.";

inline constexpr char kEditLostText[] =
    "The edited picture did not come back from the editor: another program was holding or "
    "changing the clipboard while it was handed over. The picture stays as it was before "
    "editing.";

}  // namespace vistrel
