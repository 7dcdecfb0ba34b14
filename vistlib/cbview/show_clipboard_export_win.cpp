// ShowClipBoard: a new viewer window each time, shown modally; it is
// destroyed when closed, so none is left behind in the clipboard chain.
#include "cb_viewer_win.h"
#include "export_guard_win.h"
#include "vistlib.h"

extern "C" void __stdcall ShowClipBoard() {
  vistlib::GuardedExport("ShowClipBoard", [] {
    vistlib::cbview::TCBViewer viewer;
    viewer.ShowModal();
  });
}
