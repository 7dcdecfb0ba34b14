#include "wizard_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace vistrel::wizard {
namespace {

const char* Name(WalkAction action) {
  switch (action) {
    case WalkAction::SaveSettings: return "save-settings";
    case WalkAction::HidePreview: return "hide-preview";
    case WalkAction::UpdateScaleTexts: return "scale-texts";
    case WalkAction::OpenEditor: return "EDITOR";
    case WalkAction::CropPreparation: return "crop";
    case WalkAction::FixTwipsPerPixel: return "twips";
    case WalkAction::OutputPreview: return "PREVIEW";
    case WalkAction::ZeroSizeCheck: return "zero-check";
    case WalkAction::DoFx: return "DOFX";
    case WalkAction::RefreshSaveName: return "save-name";
    case WalkAction::EmptyClipboard: return "empty-clipboard";
    case WalkAction::Save: return "SAVE";
    case WalkAction::FileBrowser: return "BROWSER";
    case WalkAction::OpenLastSaved: return "OPEN-SAVED";
    case WalkAction::CopyToClipboard: return "COPY";
    case WalkAction::ViewClipboard: return "VIEWER";
    case WalkAction::SendMail: return "MAIL";
    case WalkAction::PrinterDescription: return "printer-text";
    case WalkAction::Print: return "PRINT";
    case WalkAction::EnableTricktimer: return "timer";
    case WalkAction::HideWizard: return "hide-wizard";
    case WalkAction::EnableEditMenu: return "edit-menu";
    case WalkAction::QuitProgram: return "QUIT";
  }
  return "?";
}

// The actions an "Auto click" box or a forward move causes; written in
// capitals above so tests can pick them out of the log.
bool IsUserAction(const std::string& entry) {
  return !entry.empty() && std::isupper(static_cast<unsigned char>(entry[0])) &&
         entry.find(' ') == std::string::npos;
}

class RecordingHost : public WalkHost {
 public:
  std::set<int> hidden;
  std::set<int> automated;
  bool endAfterShot = false;
  std::vector<std::string> log;
  bool backEnabled = false, closeVisible = false;
  std::string nextCaption;
  std::string title;
  int shownPage = -1;
  bool frameVisible = true;
  WizardWalk* walk = nullptr;
  int deepestAtAction = 0;

  bool NotShow(int page) const override { return hidden.count(page) != 0; }
  bool Automate(int index) const override { return automated.count(index) != 0; }
  bool EndAfterShot() const override { return endAfterShot; }
  void Run(WalkAction action) override { log.push_back(Name(action)); }
  void HideFrameAndLogo() override { frameVisible = false; }
  void ShowFrameAndLogo() override { frameVisible = true; }
  void SetButtons(bool back, bool close, std::string_view next) override {
    backEnabled = back;
    closeVisible = close;
    nextCaption = next;
  }
  void SetTitle(std::string_view text) override {
    title = text;
    log.push_back("title " + std::string(text));
  }
  void LoadLogo(int page) override { log.push_back("logo " + std::to_string(page + 1)); }
  void ShowPage(int page) override {
    shownPage = page;
    log.push_back("page " + std::to_string(page));
  }

  std::vector<std::string> UserActions() const {
    std::vector<std::string> out;
    for (const auto& entry : log)
      if (IsUserAction(entry)) out.push_back(entry);
    return out;
  }
  bool Logged(const std::string& entry) const {
    return std::find(log.begin(), log.end(), entry) != log.end();
  }
};

class WalkTest : public ::testing::Test {
 protected:
  RecordingHost host;
  WizardWalk walk{host};

  void GoTo(int page) {
    walk.Start();
    while (walk.CurrentPage() < page) walk.Move(Direction::Next);
    host.log.clear();
  }
};

TEST_F(WalkTest, OpeningShowsTheWelcomePageWithItsTitleThenLogo) {
  walk.Start();
  EXPECT_EQ(walk.CurrentPage(), 0);
  EXPECT_EQ(host.shownPage, 0);
  EXPECT_EQ(host.title, "You made a screen shot!");
  EXPECT_FALSE(host.backEnabled);
  EXPECT_TRUE(host.closeVisible);
  EXPECT_EQ(host.nextCaption, "&Next >");
  EXPECT_EQ(host.log, (std::vector<std::string>{"save-settings", "title You made a screen shot!",
                                                "logo 1", "page 0"}));
}

TEST_F(WalkTest, LastShownPageOffersMinimizeAndEndsTheWalk) {
  host.hidden = {5, 6};
  GoTo(4);
  EXPECT_EQ(host.nextCaption, "&Minimize");
  EXPECT_FALSE(host.closeVisible);
  EXPECT_TRUE(host.backEnabled);
  walk.Move(Direction::Next);
  // Passing hidden 5 and 6 and finishing.
  EXPECT_EQ(walk.CurrentPage(), 0);
  EXPECT_TRUE(host.Logged("hide-wizard"));
  EXPECT_TRUE(host.Logged("edit-menu"));
  EXPECT_FALSE(host.Logged("timer")) << "pages were shown: no timer";
  EXPECT_EQ(walk.LastShownPage(), 4);
}

TEST_F(WalkTest, HiddenFirstPagesOpenOnPageTwoWithBackDisabled) {
  host.hidden = {0, 1};
  walk.Start();
  EXPECT_EQ(walk.CurrentPage(), 2);
  EXPECT_EQ(host.shownPage, 2);
  EXPECT_FALSE(host.backEnabled);
  EXPECT_TRUE(host.frameVisible);
  EXPECT_EQ(walk.FirstShownPage(), 2);
  walk.Move(Direction::Next);
  EXPECT_TRUE(host.backEnabled);
}

TEST_F(WalkTest, EveryPageHiddenRunsEveryActionInPageOrderAndArmsTheTimer) {
  for (int p = 0; p < kPageCount; ++p) host.hidden.insert(p);
  for (int a = 0; a < kAutomateCount; ++a) host.automated.insert(a);
  walk.Start();
  EXPECT_EQ(host.UserActions(),
            (std::vector<std::string>{"EDITOR", "PREVIEW", "DOFX", "SAVE", "BROWSER",
                                      "OPEN-SAVED", "COPY", "VIEWER", "MAIL", "PRINT"}));
  EXPECT_TRUE(host.Logged("timer"));
  EXPECT_EQ(walk.CurrentPage(), 0);
  EXPECT_EQ(walk.FirstShownPage(), -1);
  EXPECT_EQ(walk.LastShownPage(), -1);
  EXPECT_EQ(walk.DeepestNesting(), kMaxNestedMoves);
  // The finish: timer, settings, page reset, preview and wizard hidden, "&Edit" back.
  const std::vector<std::string> tail(host.log.end() - 5, host.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"timer", "save-settings", "hide-preview",
                                            "hide-wizard", "edit-menu"}));
}

TEST_F(WalkTest, EveryPageHiddenWithoutAutoClicksStillRunsThePlainArrivals) {
  for (int p = 0; p < kPageCount; ++p) host.hidden.insert(p);
  walk.Start();
  EXPECT_EQ(host.UserActions(), std::vector<std::string>{"DOFX"});
  EXPECT_TRUE(host.Logged("crop"));
  EXPECT_TRUE(host.Logged("empty-clipboard"));
  EXPECT_TRUE(host.Logged("printer-text"));
  EXPECT_FALSE(host.frameVisible) << "nothing was shown";
}

TEST_F(WalkTest, EndAfterShotQuitsAfterTheWalkOnly) {
  host.endAfterShot = true;
  walk.Start();
  EXPECT_FALSE(host.Logged("QUIT"));
  host.hidden = {1, 2, 3, 4, 5, 6};
  walk.Move(Direction::Next);
  ASSERT_FALSE(host.log.empty());
  EXPECT_EQ(host.log.back(), "QUIT");
}

TEST_F(WalkTest, ForwardFromEachPageRunsItsTickedBoxesInOrder) {
  for (int a = 0; a < kAutomateCount; ++a) host.automated.insert(a);
  struct Expectation {
    int from;
    std::vector<std::string> actions;
  };
  const std::vector<Expectation> steps = {
      {0, {}},
      {1, {"EDITOR", "PREVIEW"}},
      {2, {"DOFX"}},
      {3, {"SAVE", "BROWSER", "OPEN-SAVED"}},
      {4, {"COPY", "VIEWER"}},
      {5, {"MAIL"}},
      {6, {"PRINT"}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.from);
    GoTo(step.from);
    walk.Move(Direction::Next);
    EXPECT_EQ(host.UserActions(), step.actions);
  }
}

TEST_F(WalkTest, GoingBackNeverRunsAnAction) {
  for (int a = 0; a < kAutomateCount; ++a) host.automated.insert(a);
  GoTo(6);
  for (int page = 5; page >= 0; --page) {
    walk.Move(Direction::Back);
    EXPECT_EQ(walk.CurrentPage(), page);
  }
  EXPECT_TRUE(host.UserActions().empty());
  EXPECT_FALSE(host.backEnabled);
}

TEST_F(WalkTest, BackPassesHiddenPagesWithoutTheirActions) {
  for (int a = 0; a < kAutomateCount; ++a) host.automated.insert(a);
  host.hidden = {3, 4, 5};
  GoTo(6);
  walk.Move(Direction::Back);
  EXPECT_EQ(walk.CurrentPage(), 2);
  EXPECT_TRUE(host.UserActions().empty()) << "no effects, save, copy going back";
  // Page 4's clipboard emptying happens on the way back too.
  EXPECT_TRUE(host.Logged("empty-clipboard"));
}

TEST_F(WalkTest, ArrivingAtTheClipboardPageEmptiesTheClipboardBothWays) {
  GoTo(3);
  walk.Move(Direction::Next);
  EXPECT_TRUE(host.Logged("empty-clipboard"));
  GoTo(5);
  walk.Move(Direction::Back);
  EXPECT_EQ(walk.CurrentPage(), 4);
  EXPECT_TRUE(host.Logged("empty-clipboard"));
}

TEST_F(WalkTest, EffectsPageArrivalOrder) {
  host.automated = {0, 7};
  GoTo(1);
  walk.Move(Direction::Next);
  EXPECT_EQ(host.log, (std::vector<std::string>{
                          "save-settings", "title Select Special Effects.", "logo 3",
                          "scale-texts", "EDITOR", "crop", "twips", "PREVIEW", "zero-check",
                          "page 2"}));
  // Back to the effects page prepares the crop again but opens nothing.
  GoTo(3);
  walk.Move(Direction::Back);
  EXPECT_TRUE(host.Logged("crop"));
  EXPECT_TRUE(host.Logged("zero-check"));
  EXPECT_TRUE(host.UserActions().empty());
}

TEST_F(WalkTest, CopyPageTitleComesAfterItsClipboardActions) {
  host.automated = {5, 6};
  GoTo(4);
  walk.Move(Direction::Next);
  EXPECT_EQ(host.log, (std::vector<std::string>{"save-settings", "COPY", "VIEWER",
                                                "title Email Screen-Shot", "logo 6", "page 5"}));
}

TEST_F(WalkTest, BackTurningRoundBelowPageZeroStopsAtTheNestingLimit) {
  // Pages hidden after the move that enabled Back (the setup dialog can do
  // that): going back must neither recurse for ever nor crash.
  GoTo(3);
  host.hidden = {0, 1, 2, 3, 4, 5, 6};
  walk.Move(Direction::Back);
  EXPECT_LE(walk.DeepestNesting(), kMaxNestedMoves);
  EXPECT_TRUE(host.frameVisible);
  EXPECT_GE(walk.CurrentPage(), 0);
  EXPECT_LT(walk.CurrentPage(), kPageCount);
}

}  // namespace
}  // namespace vistrel::wizard
