#pragma once
// The output preview window: the output picture at its natural size, moved
// inside the window by dragging it.
#include <windows.h>

#include <functional>

namespace vistrel::print {

// Opens the preview (or shows it again), topmost, and loads the picture that
// `makeFxPic` returns after running the wizard's conversion (not taken over;
// null keeps the last picture).
void OpenOutputPreview(const std::function<HBITMAP()>& makeFxPic);
// Hides the preview when it is open.
void HideOutputPreview();

}  // namespace vistrel::print
