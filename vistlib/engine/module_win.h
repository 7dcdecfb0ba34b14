#pragma once
#include <windows.h>

namespace vistlib {

// The library's own instance handle, for window classes and resources.
HINSTANCE ModuleInstance();

}  // namespace vistlib
