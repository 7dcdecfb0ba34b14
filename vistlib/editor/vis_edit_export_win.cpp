#include "vistlib.h"

extern "C" void __stdcall VisEdit(const char*, const char*, const char*) {}
