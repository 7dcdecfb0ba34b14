// A packer that crashes inside ZipDllExec, as a broken ZIPDLL.DLL would.
#include <windows.h>

#include <cstdint>

extern "C" {

int32_t __stdcall ZipDllExec(void* block) {
  volatile int32_t* nowhere = nullptr;
  if (block != nullptr) *nowhere = 1;
  return 1;
}

int32_t __stdcall GetZipDllVersion() { return 140; }
}
