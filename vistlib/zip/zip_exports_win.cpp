#include "vistlib.h"

extern "C" {
void __stdcall AddToZip(const char*, const char*) {}
void __stdcall MakeExe(const char*) {}
}
