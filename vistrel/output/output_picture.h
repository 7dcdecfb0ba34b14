#pragma once
// What every output of the wizard (save, effects, and the later mail, print and
// clipboard copy) says when it has no picture to work on, or cannot hand the
// picture over through the clipboard.
namespace vistrel {

// FxPic follows TempPic: an empty working picture (a zero-size selection, an
// empty clipboard after the editor) or a conversion the component refused
// leaves it empty, and the outputs refuse it.
inline constexpr char kEmptyPictureText[] =
    "There is no picture to output: the selected area is empty, or the effects could not be "
    "applied to it. Nothing was written. Choose another area, change the effects or take a new "
    "capture.";

// Our own result when the picture could not be put on the clipboard (another
// program held it past the retry); the component is then not called.
inline constexpr long kClipboardBusy = -2;
inline constexpr char kClipboardBusyText[] =
    "The picture could not be put on the clipboard: another program is holding it. Nothing "
    "was converted or written; please try again.";

}  // namespace vistrel
