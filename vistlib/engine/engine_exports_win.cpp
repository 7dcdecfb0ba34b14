// The capture engine's exports. The engine itself arrives with the capture
// work; until then they keep the calling contract and do nothing.
#include <windows.h>


#include "vistlib.h"

extern "C" {

void __stdcall Init(vistlib::WindowHandle) {}
void __stdcall Quit() {}
void __stdcall Cheese(const char*) {}
void __stdcall GiveActiveWindow(vistrel::Rect* buffer) {
  if (buffer != nullptr) *buffer = vistrel::Rect{};
}
void __stdcall Transfer() {}
}
