#pragma once
// The output preview window: the output picture at its natural size, moved
// inside the window by dragging it.
#include <windows.h>

#include <functional>

#include "picture_win.h"

namespace vistrel::print {

// Opens the preview (or shows it again), topmost, and loads the picture that
// `makeFxPic` returns after running the wizard's conversion (the preview keeps
// it; none keeps the last picture).
void OpenOutputPreview(const std::function<SharedPicture()>& makeFxPic);
// Hides the preview when it is open.
void HideOutputPreview();

}  // namespace vistrel::print
