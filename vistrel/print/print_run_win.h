#pragma once
// The print page's "Print" on the real printer.
#include <windows.h>

#include <string>

namespace vistrel::print {

struct PrintInputs {
  std::string copiesText;  // the `Copies` box
  bool stretch = false;    // `StretchPrint`
  HBITMAP fxPic = nullptr; // the output picture (not taken over)
  // The printer chosen in the set-up dialog (DEVNAMES, DEVMODE); null: the default printer.
  HGLOBAL devNames = nullptr;
  HGLOBAL devMode = nullptr;
};

// Prints FxPic; messages go over `owner`. Returns true when the document was
// handed to the printer.
bool PrintFxPic(HWND owner, const PrintInputs& inputs);

}  // namespace vistrel::print
