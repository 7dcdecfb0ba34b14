// AddToZip and MakeExe, the library's zip exports.
#include <windows.h>

#include "vistlib.h"
#include "zip_component_win.h"

extern "C" {

void __stdcall AddToZip(const char* fileSpec, const char* zipPath) {
  try {
    vistlib::zip::AddToZip(vistlib::zip::ZipComponent(), fileSpec ? fileSpec : "",
                           zipPath ? zipPath : "");
  } catch (...) {
    // Nothing may unwind into the caller; the run's own messages were shown.
  }
}

void __stdcall MakeExe(const char* zipPath) {
  try {
    vistlib::zip::MakeExe(vistlib::zip::ZipComponent(), zipPath ? zipPath : "");
  } catch (...) {
  }
}
}
