#pragma once
// Mainform: the hidden main window. It owns the tray icon and its menu,
// receives vistlib's capture command, runs the capture, and is shown only as
// the capture area selector.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "close_request.h"
#include "command_line.h"
#include "countdown_win.h"
#include "gdi_handles_win.h"
#include "selector_view.h"
#include "tray_dispatch.h"
#include "tray_icon_win.h"

namespace vistrel {

class Mainform {
 public:
  static Mainform& Instance();

  // Start-up from the tray icon to the preloaded wizard.
  // `startupCommand`: a capture to run once start-up is over.
  bool Load(HINSTANCE instance, const std::string& arguments,
            std::optional<CaptureCommand> startupCommand = std::nullopt);
  HWND Window() const { return window_; }

  // True when the capture reached the wizard.
  bool TakeCapture();
  [[noreturn]] void Quit();
  void EnableEdit(bool enabled);
  // The selector, modal over `owner`, as the wizard opens it; the crop style
  // handed to the wizard.
  int ShowSelectorModal(HWND owner, int auswahl, HBITMAP wholePic);
  // Selects the area option and applies it to the capture.
  void ApplyAreaChoice(int mode);

 private:
  Mainform() = default;
  // The main window's, the tray icon's and the selector view's messages.
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT PichookMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleProjektion(HWND view, UINT message, WPARAM wParam, LPARAM lParam);

  bool CreateWindows();
  void CreateSelectorControls();
  void CreateTrayMenu();
  void AfterSplash();

  // Tray and menu
  void PichookMouseMove(int event);
  void PopUpMenu();
  void EditClick();
  void DelayedCapture(int milliseconds);
  void FillRecentMenu();
  void OpenRecent(int index, bool inFolder);

  // Commands from the command line
  LRESULT CommandRequest(HWND replyWindow, const COPYDATASTRUCT& data);
  void RunCommand();
  void FinishCommand(int status, const std::string& message);

  // Close requests
  void QueryUnload(CloseReason reason);
  void HandOverToWizard();

  // Selector
  void AuswahlClick(int mode);
  void ZoomChange();
  void ZoomScrollChange(int value);
  void FormResize();
  void PlaceSelectorControls(int dpi);
  SelectorGeometry Geometry() const;
  Scroll ScrollValues() const;
  void SetScrollRange(HWND bar, const ScrollRange& range);
  void OnScroll(HWND bar, int code);
  void PaintProjektion(HWND view);
  std::string ZoomText() const;
  void SetZoomText(const std::string& text);
  // Puts the previous zoom back into the box, with the list's matching entry chosen.
  void RestorePreviousZoom();
  void ClearScreenPicture();

  HINSTANCE instance_ = nullptr;
  std::string arguments_;
  HWND window_ = nullptr;
  HWND pichook_ = nullptr;
  HMENU trayMenu_ = nullptr;
  HMENU recentMenu_ = nullptr;
  HMENU showMenu_ = nullptr;
  std::vector<std::string> recentFiles_;  // as the recent menu lists them
  Countdown countdown_;
  struct PendingCommand {
    HWND replyWindow = nullptr;  // nullptr: the command this program was started with
    CaptureCommand command;
  };
  std::optional<PendingCommand> command_;
  TrayIcon tray_;
  UINT taskbarCreated_ = 0;
  // False until the wizard exists: a capture before then would have nowhere to go.
  bool started_ = false;
  // True once the start-up window and the first-use tip are gone: a command's
  // capture would show them.
  bool splashDone_ = false;
  bool sysCloseRequested_ = false;

  // Selector controls and state
  Font font_;
  int dpi_ = 96;  // what the top panel is laid out for
  HWND topFrame_ = nullptr;
  static constexpr int kAreaModes = 4;  // full screen, window, drawn area, pointer's monitor
  HWND auswahl_[kAreaModes] = {};
  HWND ok_ = nullptr;
  HWND zoomFrame_ = nullptr;
  HWND zoom_ = nullptr;
  HWND zoomScroll_ = nullptr;
  HWND projektion_ = nullptr;
  HWND hScroll_ = nullptr;
  HWND vScroll_ = nullptr;
  Bitmap screenPicture_;             // the capture at 1:1
  int screenWidth_ = 0;              // ScreenPicture's size in pixels
  int screenHeight_ = 0;
  int areaMode_ = 0;
  bool viewRendered_ = false;
  bool shapeVisible_ = false;
  ShapeRect shape_;  // view twips
  StretchCopy stretch_;
  SelectionDrag drag_;
  std::string previousZoom_ = "100";
  bool selectorOpen_ = false;
};

}  // namespace vistrel
