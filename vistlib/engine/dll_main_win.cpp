#include "module_win.h"

namespace vistlib {

HINSTANCE ModuleInstance() {
  // The module that holds this code: the library in the product, the test
  // program when a test links the engine in directly.
  static HINSTANCE instance = [] {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ModuleInstance), &module);
    return module;
  }();
  return instance;
}

}  // namespace vistlib

// Loading the library runs only the runtime's start-up: no engine object
// exists before Init.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
