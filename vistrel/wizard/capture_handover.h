#pragma once
// What the user is told when the library's picture does not reach the wizard:
// the library hands the wizard a copy of its own, and only a lack of memory
// for that copy keeps it away.

namespace vistrel {

inline constexpr char kCaptureLostText[] =
    "The screen shot did not reach the wizard: there was not enough memory for a copy of it. "
    "Nothing was saved, printed or sent. Please close other programs and take the screen shot "
    "again.";

inline constexpr char kEditLostText[] =
    "The edited picture did not come back from the editor: there was not enough memory for a "
    "copy of it. The picture stays as it was before editing.";

}  // namespace vistrel
