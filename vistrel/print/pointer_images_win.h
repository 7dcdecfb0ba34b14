#pragma once
// The preview's two mouse pointers, drawn here: a closed hand while the
// picture is dragged, an open hand otherwise.
#include <windows.h>

namespace vistrel::print {

struct PointerImages {
  HCURSOR drag = nullptr;    // MPointer(0)
  HCURSOR normal = nullptr;  // MPointer(1)
};

PointerImages MakePointerImages(HINSTANCE instance);
void DestroyPointerImages(PointerImages& images);

}  // namespace vistrel::print
