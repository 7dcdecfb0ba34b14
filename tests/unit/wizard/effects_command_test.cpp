#include "effects_command.h"

#include "output_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vistrel {
namespace {

constexpr UnitScale kPixels15{15, 15.0, '.'};

EffectsBoxes Boxes(std::string rot, std::string scaleX, bool vertical = false,
                   bool horizontal = false, bool invert = false, std::string perc = "100") {
  EffectsBoxes boxes;
  boxes.rotText = std::move(rot);
  boxes.scaleTextX = std::move(scaleX);
  boxes.verticalMirror = vertical;
  boxes.horizontalMirror = horizontal;
  boxes.invert = invert;
  boxes.percText = std::move(perc);
  return boxes;
}

TEST(EffectsCommand, WorkedExampleHasOneSpaceAfterEachFlag) {
  EXPECT_EQ(EffectsCommand(Boxes("90", "800", false, false, true), kPixels15),
            "source=clipboard, dest=clipboard,inv=1 ,rot=90,rescale=800pix");
}

TEST(EffectsCommand, EveryBoxCombinationKeepsTheFixedOrder) {
  for (int mask = 0; mask < 8; ++mask) {
    bool vertical = mask & 1, horizontal = mask & 2, invert = mask & 4;
    std::string expected = "source=clipboard, dest=clipboard";
    if (invert) expected += ",inv=1 ";
    if (vertical) expected += ",mirror=2 ";
    if (horizontal) expected += ",mirror=1 ";
    expected += ",rot=0,rescale=400pix";
    EXPECT_EQ(EffectsCommand(Boxes("0", "400", vertical, horizontal, invert), kPixels15), expected)
        << "mask " << mask;
  }
}

TEST(EffectsCommand, NegativeAnglesGet360AddedOnce) {
  struct Case {
    const char* rot;
    const char* sent;
  };
  for (Case c : std::vector<Case>{{"-500", "-140"}, {"-90", "270"}, {"0", "0"}, {"90", "90"},
                                  {"450", "450"}, {"45abc", "45"}, {"abc", "0"}, {"-0.5", "359.5"}}) {
    std::string command = EffectsCommand(Boxes(c.rot, "800"), kPixels15);
    EXPECT_NE(command.find(std::string(",rot=") + c.sent + ",rescale="), std::string::npos)
        << c.rot << " -> " << command;
  }
}

TEST(EffectsCommand, WidthIsConvertedFromTheUnitToPixels) {
  // Pixel unit on a 15-twips-per-pixel screen: 800 stays 800.
  EXPECT_NE(EffectsCommand(Boxes("0", "800"), kPixels15).find(",rescale=800pix"),
            std::string::npos);
  // Inches: 5.5 in at 1440 twips per inch on 15 twips per pixel is 528 pixels.
  EXPECT_NE(EffectsCommand(Boxes("0", "5.5"), {1440, 15.0, '.'}).find(",rescale=528pix"),
            std::string::npos);
  // Millimetres at 57 twips: 140.35 mm -> 533.33 pixels, not whole.
  EXPECT_NE(EffectsCommand(Boxes("0", "140.35"), {57, 15.0, '.'}).find(",rescale=533.33pix"),
            std::string::npos);
}

TEST(EffectsCommand, DecimalCommaLocaleStillWritesPointsAndReadsTheBoxWhole) {
  // The options are separated by commas: a decimal comma would split them.
  struct Case {
    const char* rot;
    const char* scaleX;
    UnitScale unit;
    const char* expected;
  };
  for (Case c : {Case{"-0.5", "1", {1, 3.0, ','}, ",rot=359.5,rescale=0.333333333333333pix"},
                 // 800 pixels shown in inches as the box holds it: not cut to 8 inches.
                 Case{"0", "8,33333333333333", {1440, 15.0, ','}, ",rot=0,rescale=800pix"},
                 Case{"0", "253,37", {57, 15.0, ','}, ",rot=0,rescale=962.806pix"},
                 // A point typed by the user is read as a point.
                 Case{"90", "140.35", {57, 15.0, ','}, ",rot=90,rescale=533.33pix"}}) {
    std::string command = EffectsCommand(Boxes(c.rot, c.scaleX), c.unit);
    EXPECT_NE(command.find(c.expected), std::string::npos) << command;
  }
}

TEST(EffectsChanged, OnlyRealEffectsNeedTheComponent) {
  EXPECT_FALSE(EffectsChanged(Boxes("0", "800")));
  EXPECT_FALSE(EffectsChanged(Boxes("0abc", "800", false, false, false, " 100")));
  EXPECT_TRUE(EffectsChanged(Boxes("0", "800", true)));
  EXPECT_TRUE(EffectsChanged(Boxes("0", "800", false, true)));
  EXPECT_TRUE(EffectsChanged(Boxes("0", "800", false, false, true)));
  EXPECT_TRUE(EffectsChanged(Boxes("-90", "800")));
  EXPECT_TRUE(EffectsChanged(Boxes("360", "800"))) << "a full turn is still sent";
  EXPECT_TRUE(EffectsChanged(Boxes("0", "400", false, false, false, "50")));
  // -360 becomes 0 after the +360 step: no rotation to do.
  EXPECT_FALSE(EffectsChanged(Boxes("-360", "800")));
}

class RecordingFxPorts : public FxPorts {
 public:
  long result = 0;
  bool tempPicEmpty = false;
  std::string fxPic = "previous";
  std::vector<std::string> calls;
  bool TempPicEmpty() override { return tempPicEmpty; }
  void ClearFxPic() override {
    calls.push_back("clear");
    fxPic.clear();
  }
  void ShowHourglass() override { calls.push_back("hourglass"); }
  void RestorePointer() override { calls.push_back("restore"); }
  long ConvertTempPic(const std::string& command) override {
    calls.push_back("convert " + command);
    // What the clipboard then holds: the converted picture, or TempPic itself
    // when the component refused.
    fxPic = "clipboard";
    return result;
  }
  void KeepTempPic() override {
    calls.push_back("keep");
    fxPic = "temp";
  }
  void ShowMessage(const std::string& text) override { calls.push_back("message " + text); }
};

TEST(DoFx, NothingChangedKeepsTempPicWithoutTheComponent) {
  RecordingFxPorts ports;
  EXPECT_EQ(DoFx(Boxes("0", "800"), kPixels15, ports), 0);
  EXPECT_EQ(ports.calls, (std::vector<std::string>{"hourglass", "keep", "restore"}));
}

TEST(DoFx, HalfSizeSendsNoFlagsAndTheHalvedWidth) {
  RecordingFxPorts ports;
  DoFx(Boxes("0", "400", false, false, false, "50"), kPixels15, ports);
  EXPECT_EQ(ports.calls,
            (std::vector<std::string>{
                "hourglass", "convert source=clipboard, dest=clipboard,rot=0,rescale=400pix",
                "restore"}));
}

TEST(DoFx, ComponentErrorIsShownWithAddressNumberAndCommandBeforeThePointerReturns) {
  RecordingFxPorts ports;
  ports.result = 4711;
  EXPECT_EQ(DoFx(Boxes("90", "800"), kPixels15, ports), 4711);
  ASSERT_EQ(ports.calls.size(), 5u);
  EXPECT_EQ(ports.calls[3],
            std::string("message DoFx-Error while converting. Please send this number to ") +
                kProblemReportAddress +
                " 4711source=clipboard, dest=clipboard,rot=90,rescale=800pix");
  EXPECT_EQ(ports.calls[4], "restore");
}

TEST(DoFx, RefusedConversionLeavesNoPictureForTheOutputs) {
  // The component refuses and leaves the clipboard as it found it: holding the
  // unconverted TempPic. That picture must not become the output, whatever the
  // refusal (a width below one pixel, a bad command, our own busy clipboard).
  for (long refusal : {33205L, 33202L, -1L, kClipboardBusy}) {
    RecordingFxPorts ports;
    ports.result = refusal;
    EXPECT_EQ(DoFx(Boxes("0", "0.6", false, false, false, "1"), kPixels15, ports), refusal);
    EXPECT_EQ(ports.fxPic, "") << refusal;
    // Emptied before the message, so nothing can reach the old picture meanwhile.
    const auto cleared = std::find(ports.calls.begin(), ports.calls.end(), "clear");
    const auto said = std::find_if(ports.calls.begin(), ports.calls.end(),
                                   [](const std::string& c) { return c.rfind("message", 0) == 0; });
    EXPECT_LT(cleared, said) << refusal;
  }
  RecordingFxPorts converted;
  DoFx(Boxes("0", "0.6", false, false, false, "1"), kPixels15, converted);
  EXPECT_EQ(converted.fxPic, "clipboard");
}

TEST(DoFx, EmptyTempPicEmptiesFxPicWithoutTheComponent) {
  // Changed or not, an empty working picture must not leave the previous FxPic,
  // nor let the component convert what the clipboard happens to hold.
  for (const EffectsBoxes& boxes : {Boxes("0", "800"), Boxes("90", "400", true, true, true, "50")}) {
    RecordingFxPorts ports;
    ports.tempPicEmpty = true;
    EXPECT_EQ(DoFx(boxes, kPixels15, ports), 0);
    EXPECT_EQ(ports.calls, (std::vector<std::string>{"hourglass", "clear", "restore"}));
  }
}

TEST(DoFx, ClipboardHeldByAnotherProgramIsSaidInWords) {
  RecordingFxPorts ports;
  ports.result = kClipboardBusy;
  DoFx(Boxes("90", "800"), kPixels15, ports);
  ASSERT_EQ(ports.calls.size(), 5u);
  EXPECT_EQ(ports.calls[3], std::string("message ") + kClipboardBusyText);
}

}  // namespace
}  // namespace vistrel
