#include "tray_dispatch.h"

#include "shell_state.h"

namespace vistrel {

namespace {
constexpr int kLeftButtonDown = 0x0201;
constexpr int kLeftDoubleClick = 0x0203;
constexpr int kRightButtonUp = 0x0205;
}  // namespace

TrayAction TrayEventAction(int event) {
  switch (event) {
    case kLeftDoubleClick: return TrayAction::Capture;
    case kRightButtonUp: return TrayAction::PopUpMenu;
    case kLeftButtonDown:
    default: return TrayAction::None;
  }
}

int MouseX(int64_t positionParam) {
  return static_cast<int16_t>(static_cast<uint16_t>(positionParam & 0xFFFF));
}

bool IsCaptureCommand(int64_t positionParam) { return MouseX(positionParam) == CaptureCode; }

}  // namespace vistrel
