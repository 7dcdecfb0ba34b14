#pragma once
// What the program keeps for the whole process and shares among the shell,
// the wizard and its other windows. Everything runs on the one user-interface
// thread, so plain globals are enough.
#include <cstdint>
#include <string>

#include "version.h"

namespace vistrel {

// A rectangle of the capture in twips (1/1440 inch): left, top, width, height.
struct TwipsRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const TwipsRect&) const = default;
};

// The x coordinate, in pixels, of the mouse move by which vistlib tells the
// program that Print Screen was pressed.
inline constexpr int CaptureCode = -456;

// The application title: message box caption and settings application name.
inline constexpr char kAppTitle[] = VISTREL_PRODUCT;
inline constexpr int kVersionMajor = VISTREL_VERSION_MAJOR;
inline constexpr int kVersionMinor = VISTREL_VERSION_MINOR;
inline constexpr int kVersionRevision = VISTREL_VERSION_REVISION;

// True while a window is open during which captures are refused (setup dialog,
// area selector opened from the wizard, first-use tip). Whoever opens such a
// window sets it and clears it again.
inline bool DialogOpen = false;
// True only while start-up loads the wizard hidden.
inline bool WizardPreloading = false;
// Set by the quit procedure; a close request on the main window is refused
// while it is false.
inline bool Quitting = false;
inline bool EndRequested = false;
// Set by the first capture; "&Edit" reopens the wizard once it is set.
inline bool HaveCapture = false;

// The screen's twips per pixel, read once at start-up.
inline float TwipsPerPixelX = 15.0f;
inline float TwipsPerPixelY = 15.0f;

// Geometry of the last capture.
inline TwipsRect FullScreenTwips;
inline TwipsRect ActiveWindowTwips;
inline TwipsRect SelectionTwips;
// The monitor the pointer was on when the capture was taken.
inline TwipsRect PointerMonitorTwips;

// The outline last drawn in the area selector, in view twips, and the view's
// twips per pixel then; all 0 until the user draws one. The print dump reports them.
struct SelectorOutline {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  double stppx = 0;
  double stppy = 0;
};
inline SelectorOutline LastSelectorOutline;

// True when the file can be opened for reading; no error is ever reported.
bool FileExists(const std::string& path);

}  // namespace vistrel
