#include "close_request.h"

namespace vistrel {

CloseAction DecideClose(CloseReason reason, bool quitting, bool endRequested) {
  // Once the quit procedure asked for the end, nothing else may run.
  if (endRequested) return CloseAction::EndProcess;
  // The close box or the program's own unload request: refused unless quitting,
  // and taken as the end of the area selection.
  if (reason == CloseReason::CloseBox || reason == CloseReason::Code) {
    return quitting ? CloseAction::Quit : CloseAction::HandOverToWizard;
  }
  return CloseAction::Quit;
}

int CropStyleForAreaMode(int areaMode) {
  switch (areaMode) {
    case 0: return 1;
    case 1: return 0;
    case 3: return 3;
    default: return 2;
  }
}

int AreaModeForCropStyle(int cropStyle) {
  switch (cropStyle) {
    case 0: return 1;
    case 1: return 0;
    case 3: return 3;
    default: return 2;
  }
}

}  // namespace vistrel
