#include "crop_preparation.h"

namespace vistrel::wizard {

CropPlan PlanCrop(const CropInputs& in) {
  CropPlan plan;
  if (in.useEditor) {
    plan.source = CropPlan::Source::Keep;
    plan.cropRect = {0, 0, in.tempWidth, in.tempHeight};
    return plan;
  }
  switch (in.cropStyle) {
    case 0:
      plan.source = CropPlan::Source::Region;
      plan.cropRect = in.activeWindow;
      break;
    case 1:
      plan.source = CropPlan::Source::Whole;
      plan.cropRect = {0, 0, in.wholeWidth, in.wholeHeight};
      break;
    case 2:
      plan.source = CropPlan::Source::Region;
      plan.cropRect = in.selection;
      plan.zeroBeforePaint = IsZeroSize(in.selection);
      break;
    case kPointerMonitorCropStyle:
      plan.source = CropPlan::Source::Region;
      plan.cropRect = in.pointerMonitor;
      break;
    default:
      break;
  }
  return plan;
}

TwipsRect CropStyleRect(int cropStyle, const TwipsRect& activeWindow, const TwipsRect& fullScreen,
                        const TwipsRect& selection, const TwipsRect& pointerMonitor) {
  switch (cropStyle) {
    case 0:
      return activeWindow;
    case 1:
      return fullScreen;
    case kPointerMonitorCropStyle:
      return pointerMonitor;
    default:
      return selection;
  }
}

}  // namespace vistrel::wizard
