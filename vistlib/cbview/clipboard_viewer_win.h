#pragma once
// TClipboardViewer: a scrolling control that joins the clipboard-viewer chain
// and shows the clipboard's content as text, a picture or a palette, rebuilt
// on every change while it lives.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gdi_win.h"
#include "palette_grid_win.h"
#include "view_format.h"

namespace vistlib::cbview {

// Answers the format shown now (a ViewFormat), for tests and tools.
constexpr UINT kGetShownFormat = WM_APP + 0x100;
inline constexpr char kViewerClassName[] = "TClipboardViewer";
inline constexpr char kClipboardBusyText[] =
    "The clipboard is in use by another program; it is shown as soon as it is free.";

class TClipboardViewer {
 public:
  // Creates the control, which joins the chain at once. `status` receives a
  // note for the status bar (empty when there is none).
  TClipboardViewer(HWND parent, const RECT& place, std::function<void(const std::string&)> status);
  ~TClipboardViewer();
  TClipboardViewer(const TClipboardViewer&) = delete;
  TClipboardViewer& operator=(const TClipboardViewer&) = delete;

  HWND Handle() const { return window_; }
  ViewFormat GetViewFormat() const { return viewFormat_; }
  void SetViewFormat(ViewFormat format);

 private:
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;

  void JoinChain();
  void LeaveChain();
  void ClipboardChanged();
  void Rebuild();
  bool ReadContent(const ContentPlan& plan, std::string& text, std::vector<PaletteColor>& palette);
  void FreeContent();
  void ShowText(const ContentPlan& plan, const std::string& text);
  void Layout();
  void UpdateScrollBars();
  void Scroll(int bar, WPARAM request);
  void Paint(HDC dc);
  SIZE PictureSize() const;

  std::function<void(const std::string&)> status_;
  HWND next_ = nullptr;
  bool joined_ = false;
  ViewFormat viewFormat_ = ViewFormat::cvDefault;
  ViewFormat shown_ = ViewFormat::cvDefault;
  // The content: a text box, a palette grid or a picture drawn here.
  HWND textBox_ = nullptr;
  HFONT terminalFont_ = nullptr;
  std::unique_ptr<TPaletteGrid> grid_;
  Bitmap bitmap_;
  HENHMETAFILE metafile_ = nullptr;
  POINT scroll_{0, 0};
  bool retrying_ = false;
};

}  // namespace vistlib::cbview
