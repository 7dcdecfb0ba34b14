#pragma once
#include <windows.h>

#include "zip_master.h"

namespace vistlib::zip {

// The engine's Init creates the component with its message window as owner;
// Quit frees it. An export called without that gets a component with no owner.
void CreateZipComponent(HWND owner);
void FreeZipComponent();
TZipMaster& ZipComponent();

}  // namespace vistlib::zip
