#pragma once
// The tray icon: its record, kept for the program's life, and the two images
// (normal camera, busy camera with its flash lit) drawn at start-up.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

#include "gdi_handles_win.h"

namespace vistrel {

inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Builds the record for `hook` (the window that receives the callbacks)
  // and adds the icon.
  bool Add(HWND hook);
  // After the shell restarted: the same record again.
  bool Readd();
  void SetBusy(bool busy);
  // A passing tip (a count-down's seconds); an empty text puts the usual one back.
  void SetTip(const std::string& text);
  void Remove();

  const NOTIFYICONDATAA& Record() const { return data_; }

 private:
  NOTIFYICONDATAA data_{};
  Icon normal_;
  Icon busy_;
  bool added_ = false;
};

// A camera icon of the system's small-icon size; `busy` lights the flash.
HICON DrawCameraIcon(bool busy);

}  // namespace vistrel
