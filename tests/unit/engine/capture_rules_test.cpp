#include "capture_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hotkey_choice.h"

namespace vistlib {
namespace {

using vistrel::Rect;

const Rect kDesktop{0, 0, 1920, 1080};

TEST(ActiveWindowRect, ForegroundWindowGivesItsRectangle) {
  EXPECT_EQ(ChooseActiveWindowRect(Rect{10, 20, 300, 400}, kDesktop, Rect{}),
            (Rect{10, 20, 300, 400}));
  // A minimised window's rectangle lies far off screen and is still given.
  EXPECT_EQ(ChooseActiveWindowRect(Rect{-32000, -32000, -31840, -31969}, kDesktop, Rect{}),
            (Rect{-32000, -32000, -31840, -31969}));
}

TEST(ActiveWindowRect, ZeroRightOrBottomEdgeGivesTheDesktop) {
  Rect previous{5, 5, 50, 50};
  EXPECT_EQ(ChooseActiveWindowRect(Rect{-100, 10, 0, 400}, kDesktop, previous), kDesktop);
  EXPECT_EQ(ChooseActiveWindowRect(Rect{10, -100, 300, 0}, kDesktop, previous), kDesktop);
  EXPECT_EQ(ChooseActiveWindowRect(Rect{}, kDesktop, previous), kDesktop);
  // Zero left or top edges are ordinary.
  EXPECT_EQ(ChooseActiveWindowRect(Rect{0, 0, 10, 10}, kDesktop, previous), (Rect{0, 0, 10, 10}));
}

TEST(ActiveWindowRect, NoForegroundKeepsThePreviousValueUnlessItHasAZeroEdge) {
  EXPECT_EQ(ChooseActiveWindowRect(std::nullopt, kDesktop, Rect{5, 6, 70, 80}),
            (Rect{5, 6, 70, 80}));
  EXPECT_EQ(ChooseActiveWindowRect(std::nullopt, kDesktop, Rect{}), kDesktop);
  EXPECT_EQ(ChooseActiveWindowRect(std::nullopt, kDesktop, Rect{5, 6, 0, 80}), kDesktop);
  EXPECT_EQ(ChooseActiveWindowRect(std::nullopt, kDesktop, Rect{5, 6, 70, 0}), kDesktop);
}

TEST(CursorRequested, OnlyTheTextOneDrawsTheCursor) {
  EXPECT_TRUE(CursorRequested("1"));
  for (const char* other : {"0", "", "x", "1 ", " 1", "01", "11", "True", "-1"}) {
    EXPECT_FALSE(CursorRequested(other)) << '"' << other << '"';
  }
  EXPECT_FALSE(CursorRequested(nullptr));
}

TEST(HotkeyChoice, EveryChoiceNamesItsModifiersAndKey) {
  const std::vector<std::string> choices = HotkeyChoices();
  ASSERT_EQ(choices.size(), 30u);
  EXPECT_EQ(choices.front(), "Print Screen");
  EXPECT_EQ(ParseHotkey("Print Screen"), (Hotkey{0, 0x2C}));
  EXPECT_EQ(ParseHotkey("Ctrl+Print Screen"), (Hotkey{0x2, 0x2C}));
  EXPECT_EQ(ParseHotkey("Alt+Print Screen"), (Hotkey{0x1, 0x2C}));
  EXPECT_EQ(ParseHotkey("Shift+Print Screen"), (Hotkey{0x4, 0x2C}));
  EXPECT_EQ(ParseHotkey("Ctrl+Shift+A"), (Hotkey{0x6, 'A'}));
  EXPECT_EQ(ParseHotkey("Ctrl+Shift+Z"), (Hotkey{0x6, 'Z'}));
  for (const char* other : {"", "Print", "Ctrl+Shift+", "Ctrl+Shift+1", "S", "Print Screen "})
    EXPECT_FALSE(ParseHotkey(other)) << '"' << other << '"';
  // Only the plain key is the one the snipping tool takes.
  EXPECT_TRUE(IsPlainPrintScreen(*ParseHotkey("Print Screen")));
  EXPECT_FALSE(IsPlainPrintScreen(*ParseHotkey("Ctrl+Print Screen")));
}

}  // namespace
}  // namespace vistlib
