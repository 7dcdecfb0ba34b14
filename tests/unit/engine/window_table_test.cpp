// The window table builder: which windows and controls make it into the
// table, in which order, under which names, and what happens at the cap.
#include "window_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vistlib {
namespace {

using vistrel::Rect;

WindowFacts Window(uintptr_t handle, std::string title, Rect rect = {0, 0, 100, 80}) {
  WindowFacts w;
  w.handle = handle;
  w.title = std::move(title);
  w.rect = rect;
  w.visible = true;
  return w;
}

std::vector<uintptr_t> Handles(const WindowTable& t) {
  return std::vector<uintptr_t>(t.WindowHandles.begin() + 1,
                                t.WindowHandles.begin() + 1 + t.WindowCount);
}

TEST(WindowTable, TopLevelsBottomUpEachFollowedByItsChildrenInPaintingOrder) {
  WindowFacts bottom = Window(10, "Bottom");
  // Children arrive top-most first: 13 is on top, 11 at the bottom.
  bottom.children = {Window(13, "c13"), Window(12, "c12"), Window(11, "c11")};
  WindowFacts top = Window(20, "Top");
  top.children = {Window(22, "c22"), Window(21, "c21")};
  // Grandchildren are never visited.
  top.children[0].children = {Window(99, "grandchild")};

  WindowTableBuild build = BuildWindowTable({bottom, top}, 1);

  EXPECT_EQ(Handles(build.table), (std::vector<uintptr_t>{10, 11, 12, 13, 20, 21, 22}));
  EXPECT_EQ(build.table.WindowNames[2], "c11");
  EXPECT_EQ(build.table.WindowNames[4], "c13");
  EXPECT_EQ(build.table.WindowNames[7], "c22");
  EXPECT_FALSE(build.tooMany);
}

TEST(WindowTable, RectsAndNamesStayWithTheirEntriesAfterTheChildrenAreReversed) {
  WindowFacts parent = Window(1, "P", {0, 0, 500, 500});
  parent.children = {Window(3, "upper", {10, 10, 50, 50}), Window(2, "lower", {60, 60, 90, 90})};
  WindowTable t = BuildWindowTable({parent}, 0).table;
  ASSERT_EQ(t.WindowCount, 3);
  EXPECT_EQ(t.WindowHandles[2], 2u);
  EXPECT_EQ(t.WindowRects[2], (Rect{60, 60, 90, 90}));
  EXPECT_EQ(t.WindowNames[2], "lower");
  EXPECT_EQ(t.WindowHandles[3], 3u);
  EXPECT_EQ(t.WindowRects[3], (Rect{10, 10, 50, 50}));
  EXPECT_EQ(t.WindowNames[3], "upper");
}

TEST(WindowTable, RectsAreInCapturePixelsWhenTheVirtualScreenStartsLeftAndAbove) {
  // A monitor at -1280,-200: screen -1280,-200 is capture pixel 0,0.
  WindowFacts left = Window(1, "left", {-1200, -100, -800, 300});
  left.children = {Window(2, "button", {-1190, -90, -1100, -60})};
  WindowFacts primary = Window(3, "primary", {100, 50, 400, 250});
  WindowTable t = BuildWindowTable({left, primary}, 0, Point{-1280, -200}).table;
  ASSERT_EQ(t.WindowCount, 3);
  EXPECT_EQ(t.WindowRects[1], (Rect{80, 100, 480, 500}));
  EXPECT_EQ(t.WindowRects[2], (Rect{90, 110, 180, 140}));
  EXPECT_EQ(t.WindowRects[3], (Rect{1380, 250, 1680, 450}));
}

TEST(WindowTable, TopLevelSkipRulesDropTheWindowTogetherWithItsChildren) {
  std::vector<WindowFacts> windows;
  auto withChild = [&](WindowFacts w) {
    w.children = {Window(w.handle + 1, "child")};
    windows.push_back(w);
  };
  WindowFacts hidden = Window(100, "hidden");
  hidden.visible = false;
  withChild(hidden);
  WindowFacts minimised = Window(200, "minimised");
  minimised.minimised = true;
  withChild(minimised);
  withChild(Window(300, "zero width", {50, 50, 50, 90}));
  withChild(Window(400, "zero height", {50, 50, 90, 50}));
  withChild(Window(500, "negative width", {90, 50, 50, 90}));
  WindowFacts disabled = Window(600, "disabled top-level still counts");
  disabled.enabled = false;
  withChild(disabled);

  WindowTable t = BuildWindowTable(windows, 0).table;
  EXPECT_EQ(Handles(t), (std::vector<uintptr_t>{600, 601}));
}

TEST(WindowTable, ChildSkipRules) {
  WindowFacts parent = Window(1, "P");
  WindowFacts hidden = Window(2, "hidden");
  hidden.visible = false;
  WindowFacts minimised = Window(3, "minimised");
  minimised.minimised = true;
  WindowFacts disabled = Window(4, "disabled");
  disabled.enabled = false;
  WindowFacts zeroWidth = Window(5, "zero width", {10, 10, 10, 30});
  WindowFacts zeroHeight = Window(6, "zero height", {10, 10, 30, 10});
  // A child only needs a non-zero size, unlike a top-level window.
  WindowFacts mirrored = Window(7, "mirrored", {30, 10, 10, 30});
  WindowFacts plain = Window(8, "plain");
  parent.children = {hidden, minimised, disabled, zeroWidth, zeroHeight, mirrored, plain};

  WindowTable t = BuildWindowTable({parent}, 0).table;
  EXPECT_EQ(Handles(t), (std::vector<uintptr_t>{1, 8, 7}));
}

TEST(WindowTable, Names) {
  WindowFacts desktop = Window(5, "  whatever the desktop says ");
  WindowFacts untitled = Window(6, "");
  untitled.children = {Window(7, ""), Window(8, " \t\r\n"), Window(9, "\x01 OK \x7f")};
  WindowFacts padded = Window(10, "\t  Notepad - a.txt \r\n");
  // Bytes above 0x7F are letters in the code page, not blanks.
  WindowFacts accented = Window(11, "\xE9t\xE9 ");

  WindowTable t = BuildWindowTable({desktop, untitled, padded, accented}, 5).table;
  ASSERT_EQ(t.WindowCount, 7);
  EXPECT_EQ(t.WindowNames[1], "Desktop");
  EXPECT_EQ(t.WindowNames[2], "");         // a top-level window keeps its empty title
  EXPECT_EQ(t.WindowNames[3], "OK \x7f");  // DEL stays: only bytes up to the space go
  EXPECT_EQ(t.WindowNames[4], "Control");  // blanks only
  EXPECT_EQ(t.WindowNames[5], "Control");  // empty
  EXPECT_EQ(t.WindowNames[6], "Notepad - a.txt");
  EXPECT_EQ(t.WindowNames[7], "\xE9t\xE9");
}

TEST(WindowTable, TitlesAreCutAt511CharactersBeforeTrimming) {
  std::string long_(600, 'x');
  EXPECT_EQ(TrimmedTitle(long_), std::string(511, 'x'));
  // The blank that ends up last after the cut is trimmed too.
  std::string cutAtBlank = std::string(510, 'y') + " tail";
  EXPECT_EQ(TrimmedTitle(cutAtBlank), std::string(510, 'y'));
  // Blanks that the cut leaves in front are trimmed.
  EXPECT_EQ(TrimmedTitle(std::string(3, ' ') + std::string(600, 'z')), std::string(508, 'z'));
}

TEST(WindowTable, EmptyScreenLeavesNoInfoEverywhere) {
  WindowFacts hidden = Window(1, "hidden");
  hidden.visible = false;
  for (const auto& windows : {std::vector<WindowFacts>{}, std::vector<WindowFacts>{hidden}}) {
    WindowTableBuild build = BuildWindowTable(windows, 0);
    EXPECT_EQ(build.table.WindowCount, 0);
    ASSERT_EQ(build.table.WindowNames.size(), 64u);
    for (const std::string& name : build.table.WindowNames) EXPECT_EQ(name, "No Info");
    for (uintptr_t handle : build.table.WindowHandles) EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(build.tooMany);
  }
}

TEST(WindowTable, ExactlySixtyThreeFitWithoutComplaint) {
  std::vector<WindowFacts> windows;
  for (uintptr_t h = 1; h <= 63; ++h) windows.push_back(Window(h, "w" + std::to_string(h)));
  WindowTableBuild build = BuildWindowTable(windows, 0);
  EXPECT_EQ(build.table.WindowCount, 63);
  EXPECT_FALSE(build.tooMany);
  // Non-qualifying windows after a full table are no reason to complain.
  WindowFacts hidden = Window(64, "hidden");
  hidden.visible = false;
  windows.push_back(hidden);
  EXPECT_FALSE(BuildWindowTable(windows, 0).tooMany);
}

TEST(WindowTable, SeventyQualifyingEntriesKeepTheFirstSixtyThreeInWalkOrder) {
  // 10 windows with 6 controls each: 70 entries qualify.
  std::vector<WindowFacts> windows;
  for (uintptr_t w = 0; w < 10; ++w) {
    WindowFacts window = Window(1000 * (w + 1), "window");
    for (uintptr_t c = 6; c >= 1; --c) window.children.push_back(Window(1000 * (w + 1) + c, ""));
    windows.push_back(window);
  }
  WindowTableBuild build = BuildWindowTable(windows, 0);
  EXPECT_TRUE(build.tooMany);
  const WindowTable& t = build.table;
  ASSERT_EQ(t.WindowCount, 63);
  // Nine whole windows (63 entries) fit; the tenth finds no room.
  for (uintptr_t w = 0; w < 9; ++w) {
    EXPECT_EQ(t.WindowHandles[1 + 7 * w], 1000 * (w + 1));
    for (uintptr_t c = 1; c <= 6; ++c)
      EXPECT_EQ(t.WindowHandles[1 + 7 * w + c], 1000 * (w + 1) + c);
  }
  for (int i = 1; i <= 63; ++i) EXPECT_NE(t.WindowNames[i], "No Info") << i;
}

TEST(WindowTable, CapInsideAWindowsControlsKeepsTheTopMostOnesInPaintingOrder) {
  std::vector<WindowFacts> windows;
  for (uintptr_t h = 1; h <= 60; ++h) windows.push_back(Window(h, "w"));
  WindowFacts last = Window(100, "last");
  // Top-most first: 105 on top ... 101 at the bottom. Two of them fit.
  for (uintptr_t c = 105; c >= 101; --c) last.children.push_back(Window(c, "c"));
  windows.push_back(last);

  WindowTableBuild build = BuildWindowTable(windows, 0);
  EXPECT_TRUE(build.tooMany);
  ASSERT_EQ(build.table.WindowCount, 63);
  EXPECT_EQ(build.table.WindowHandles[61], 100u);
  EXPECT_EQ(build.table.WindowHandles[62], 104u);
  EXPECT_EQ(build.table.WindowHandles[63], 105u);
}

}  // namespace
}  // namespace vistlib
