// ShowClipBoard: a new viewer window each time, shown modally; it is
// destroyed when closed, so none is left behind in the clipboard chain.
#include <exception>

#include "cb_viewer_win.h"
#include "library_message.h"
#include "vistlib.h"

extern "C" void __stdcall ShowClipBoard() {
  try {
    vistlib::cbview::TCBViewer viewer;
    viewer.ShowModal();
  } catch (const std::exception& error) {
    try {
      vistlib::ShowMessage(error.what());
    } catch (...) {
    }
  } catch (...) {
  }
}
