#pragma once
// What arrival at the effects page does to the working picture: which part of
// the capture becomes TempPic and what the crop rectangle becomes.
#include "twips_rect.h"

namespace vistrel::wizard {

struct CropPlan {
  enum class Source {
    Keep,     // TempPic stays (the editor's result or the full capture)
    Whole,    // TempPic becomes a copy of WholePic
    Region,   // TempPic becomes the `cropRect` part of WholePic
    Nothing,  // no crop style chosen: nothing changes
  };
  Source source = Source::Nothing;
  TwipsRect cropRect;
  // The selection is empty: warn before painting, and paint nothing.
  bool zeroBeforePaint = false;
};

struct CropInputs {
  bool useEditor = false;
  // 0 active window, 1 full screen, 2 selected area, 3 the pointer's monitor, -1 none
  int cropStyle = 0;
  int32_t tempWidth = 0, tempHeight = 0;    // TempPic, twips
  int32_t wholeWidth = 0, wholeHeight = 0;  // WholePic, twips
  TwipsRect activeWindow, fullScreen, selection, pointerMonitor;
};

CropPlan PlanCrop(const CropInputs& in);

inline bool IsZeroSize(const TwipsRect& rect) { return rect.width == 0 || rect.height == 0; }

inline constexpr const char* kZeroSizeMessage =
    "You've set the screen-shot size to zero. Any output will be empty!";

inline constexpr int kPointerMonitorCropStyle = 3;
inline constexpr int kCropStyleCount = 4;

// The rectangle of a crop style (SetCropRect): active window, full screen,
// selection, the monitor the pointer was on.
TwipsRect CropStyleRect(int cropStyle, const TwipsRect& activeWindow, const TwipsRect& fullScreen,
                        const TwipsRect& selection, const TwipsRect& pointerMonitor);

}  // namespace vistrel::wizard
