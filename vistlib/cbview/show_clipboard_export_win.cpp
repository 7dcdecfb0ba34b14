#include "vistlib.h"

extern "C" void __stdcall ShowClipBoard() {}
