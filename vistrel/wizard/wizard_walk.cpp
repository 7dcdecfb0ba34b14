#include "wizard_walk.h"

#include <array>

namespace vistrel::wizard {

std::string_view PageTitle(int page) {
  static constexpr std::array<std::string_view, kPageCount> kTitles = {
      "You made a screen shot!",  "Use Vistrel Editor/Autocropping",
      "Select Special Effects.",  "Saving to File.",
      "Copy to Clipboard",        "Email Screen-Shot",
      "Printing"};
  return page >= 0 && page < kPageCount ? kTitles[page] : std::string_view();
}

void WizardWalk::Start() {
  currentPage_ = -1;
  Move(Direction::Next);
}

void WizardWalk::Move(Direction direction) {
  struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
  } guard(depth_);
  if (depth_ > deepest_) deepest_ = depth_;

  const bool forward = direction == Direction::Next;
  host_.Run(WalkAction::SaveSettings);
  currentPage_ += forward ? 1 : -1;

  firstShownPage_ = -1;
  lastShownPage_ = -1;
  for (int page = 0; page < kPageCount; ++page) {
    if (host_.NotShow(page)) continue;
    if (firstShownPage_ < 0) firstShownPage_ = page;
    lastShownPage_ = page;
  }

  if (currentPage_ >= kPageCount) {
    Finish(forward);
    return;
  }
  if (currentPage_ < 0) currentPage_ = kCropPage;

  const bool hidden = host_.NotShow(currentPage_);
  if (hidden) host_.HideFrameAndLogo();

  const bool last = currentPage_ == lastShownPage_;
  host_.SetButtons(currentPage_ != firstShownPage_, !last, last ? kMinimizeCaption : kNextCaption);

  const int page = currentPage_;
  Arrive(page, forward);

  host_.ShowPage(page);
  if (!hidden) {
    host_.ShowFrameAndLogo();
    return;
  }
  // Going back below the first page turns round at the crop page; with every page
  // from there on hidden that would go round for ever, so the nesting limit
  // stops on the page reached.
  if (depth_ >= kMaxNestedMoves) {
    host_.ShowFrameAndLogo();
    return;
  }
  Move(direction);
}

void WizardWalk::Arrive(int page, bool forward) {
  auto title = [&] {
    host_.SetTitle(PageTitle(page));
    host_.LoadLogo(page);
  };
  auto automated = [&](int index, WalkAction action) {
    if (forward && host_.Automate(index)) host_.Run(action);
  };
  switch (page) {
    case kWelcomePage:
      title();
      break;
    case kCropPage:
      host_.Run(WalkAction::HidePreview);
      title();
      break;
    case kEffectsPage:
      title();
      host_.Run(WalkAction::UpdateScaleTexts);
      automated(0, WalkAction::OpenEditor);
      host_.Run(WalkAction::CropPreparation);
      host_.Run(WalkAction::FixTwipsPerPixel);
      automated(7, WalkAction::OutputPreview);
      host_.Run(WalkAction::ZeroSizeCheck);
      break;
    case kSavePage:
      host_.Run(WalkAction::HidePreview);
      if (forward) host_.Run(WalkAction::DoFx);
      title();
      host_.Run(WalkAction::RefreshSaveName);
      break;
    case kClipboardPage:
      title();
      host_.Run(WalkAction::EmptyClipboard);
      automated(1, WalkAction::Save);
      automated(4, WalkAction::FileBrowser);
      automated(3, WalkAction::OpenLastSaved);
      break;
    case kMailPage:
      automated(5, WalkAction::CopyToClipboard);
      automated(6, WalkAction::ViewClipboard);
      title();
      break;
    case kPrintPage:
      title();
      automated(8, WalkAction::SendMail);
      host_.Run(WalkAction::PrinterDescription);
      break;
    default:
      break;
  }
}

void WizardWalk::Finish(bool forward) {
  if (forward && host_.Automate(2)) host_.Run(WalkAction::Print);
  if (firstShownPage_ == -1 && lastShownPage_ == -1) host_.Run(WalkAction::EnableTricktimer);
  host_.Run(WalkAction::SaveSettings);
  currentPage_ = kWelcomePage;
  host_.Run(WalkAction::HidePreview);
  host_.Run(WalkAction::HideWizard);
  host_.Run(WalkAction::EnableEditMenu);
  if (host_.EndAfterShot()) host_.Run(WalkAction::QuitProgram);
}

}  // namespace vistrel::wizard
