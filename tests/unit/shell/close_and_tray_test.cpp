#include <gtest/gtest.h>

#include "close_request.h"
#include "tray_dispatch.h"

namespace vistrel {
namespace {

TEST(CloseRequest, RulesByReasonAndFlags) {
  using R = CloseReason;
  using A = CloseAction;
  // The selector's close box and "Back to wizard" are refused and hand over.
  EXPECT_EQ(DecideClose(R::CloseBox, false, false), A::HandOverToWizard);
  EXPECT_EQ(DecideClose(R::Code, false, false), A::HandOverToWizard);
  // The quit procedure's unload ends the process, whatever the reason.
  for (R reason : {R::CloseBox, R::Code, R::WindowsEnds, R::TaskManager}) {
    EXPECT_EQ(DecideClose(reason, true, true), A::EndProcess);
  }
  // Windows ending or another program closing the window: a clean quit, so the
  // tray icon and the library are not left behind.
  EXPECT_EQ(DecideClose(R::WindowsEnds, false, false), A::Quit);
  EXPECT_EQ(DecideClose(R::TaskManager, false, false), A::Quit);
}

TEST(CloseRequest, AreaModeAndCropStyleMapBothWays) {
  EXPECT_EQ(CropStyleForAreaMode(0), 1);
  EXPECT_EQ(CropStyleForAreaMode(1), 0);
  EXPECT_EQ(CropStyleForAreaMode(2), 2);
  // The pointer's monitor is option 3 and crop style 3.
  EXPECT_EQ(CropStyleForAreaMode(3), 3);
  for (int mode = 0; mode < 4; ++mode) {
    EXPECT_EQ(AreaModeForCropStyle(CropStyleForAreaMode(mode)), mode);
  }
}

TEST(Tray, EventsAndCaptureCommand) {
  EXPECT_EQ(TrayEventAction(0x0203), TrayAction::Capture);
  EXPECT_EQ(TrayEventAction(0x0205), TrayAction::PopUpMenu);
  for (int other : {0x0200, 0x0201, 0x0202, 0x0204, 0x0206, 0x0207}) {
    EXPECT_EQ(TrayEventAction(other), TrayAction::None) << other;
  }
  // vistlib's parameters: x is the signed low word of -456.
  EXPECT_TRUE(IsCaptureCommand(-456));
  EXPECT_TRUE(IsCaptureCommand(int64_t(0xFFFFFE38)));
  EXPECT_EQ(MouseX(int64_t(0x0005FE38)), -456);
  // An ordinary mouse move over the selector is not a capture.
  EXPECT_FALSE(IsCaptureCommand(0x00100020));
  EXPECT_FALSE(IsCaptureCommand(456));
}

}  // namespace
}  // namespace vistrel
