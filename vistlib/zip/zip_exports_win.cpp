// AddToZip and MakeExe, the library's zip exports.
#include <windows.h>

#include "vistlib.h"
#include "window_thunk_win.h"
#include "zip_component_win.h"

// Nothing may unwind into the caller. The run has shown its own messages;
// what stopped it goes to the debug log.
extern "C" {

void __stdcall AddToZip(const char* fileSpec, const char* zipPath) {
  vistrel::Guarded("AddToZip", 0, [&] {
    vistlib::zip::AddToZip(vistlib::zip::ZipComponent(), fileSpec ? fileSpec : "",
                           zipPath ? zipPath : "");
    return 0;
  });
}

void __stdcall MakeExe(const char* zipPath) {
  vistrel::Guarded("MakeExe", 0, [&] {
    vistlib::zip::MakeExe(vistlib::zip::ZipComponent(), zipPath ? zipPath : "");
    return 0;
  });
}
}
