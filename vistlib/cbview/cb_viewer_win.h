#pragma once
// TCBViewer: the clipboard viewer's window, a frame around TClipboardViewer
// with the button back to the wizard and a status bar. Its place on the
// screen is kept under HKCU\Software\Tarnwick\Vistrel\ClipBoardViewer.
#include <windows.h>

#include <memory>
#include <vector>

#include "clipboard_viewer_win.h"

namespace vistlib::cbview {

inline constexpr char kCBViewerClassName[] = "TCBViewer";
inline constexpr char kCBViewerCaption[] = "Tarnwick Clipboard Viewer";
inline constexpr char kPlacementKey[] = "Software\\Tarnwick\\Vistrel\\ClipBoardViewer";
constexpr int kUnloadButtonId = 101;

class TCBViewer {
 public:
  // Creates the window hidden, at its remembered place.
  TCBViewer();
  ~TCBViewer();
  TCBViewer(const TCBViewer&) = delete;
  TCBViewer& operator=(const TCBViewer&) = delete;

  HWND Handle() const { return window_; }
  // Shows the window, keeps the thread's other windows disabled and runs
  // their messages until the window is closed.
  void ShowModal();
  // Shows it without waiting (tests drive the window from the same thread).
  void Show();

 private:
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;

  void FormClose();
  void Layout();
  void SetButtonFont();
  void ReadPlacement();
  void WritePlacement();

  HWND button_ = nullptr;
  HFONT buttonFont_ = nullptr;
  int dpi_ = 96;  // what the window is laid out for
  HWND statusBar_ = nullptr;
  std::unique_ptr<TClipboardViewer> ClipboardViewer1;
  std::vector<HWND> disabled_;
};

}  // namespace vistlib::cbview
