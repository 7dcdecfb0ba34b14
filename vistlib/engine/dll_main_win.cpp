#include "module_win.h"

namespace vistlib {
namespace {
HINSTANCE g_instance = nullptr;
}

HINSTANCE ModuleInstance() { return g_instance; }

}  // namespace vistlib

// Loading the library runs only the runtime's start-up: no engine object
// exists before Init.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    vistlib::g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
