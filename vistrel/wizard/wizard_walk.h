#pragma once
// The wizard's page walk: which page comes next, what runs on arrival, and
// the end of the walk. Pages whose "Do not show" box is ticked are passed
// through with their arrival actions, one nested move per page.
#include <string_view>

namespace vistrel::wizard {

constexpr int kPageCount = 7;
// The pages, in the order of the walk.
constexpr int kWelcomePage = 0;
constexpr int kCropPage = 1;       // the editor or the area
constexpr int kEffectsPage = 2;    // scale, rotation, mirroring
constexpr int kSavePage = 3;       // folder, name, format, archive
constexpr int kClipboardPage = 4;  // copy and view
constexpr int kMailPage = 5;
constexpr int kPrintPage = 6;
constexpr int kAutomateCount = 9;
// Nested moves allowed at once: one per page plus the finish.
constexpr int kMaxNestedMoves = 8;

enum class Direction { Back = 0, Next = 1 };

// The things the walk makes happen, in the order it asks for them.
enum class WalkAction {
  SaveSettings,
  HidePreview,
  UpdateScaleTexts,
  OpenEditor,
  CropPreparation,
  FixTwipsPerPixel,
  OutputPreview,
  ZeroSizeCheck,
  DoFx,
  RefreshSaveName,
  EmptyClipboard,
  Save,
  FileBrowser,
  OpenLastSaved,
  CopyToClipboard,
  ViewClipboard,
  SendMail,
  PrinterDescription,
  Print,
  EnableTricktimer,
  HideWizard,
  EnableEditMenu,
  QuitProgram,
};

std::string_view PageTitle(int page);
inline constexpr std::string_view kNextCaption = "&Next >";
inline constexpr std::string_view kMinimizeCaption = "&Minimize";

// What the walk reads and drives; the window implements it, tests record it.
class WalkHost {
 public:
  virtual ~WalkHost() = default;
  virtual bool NotShow(int page) const = 0;
  virtual bool Automate(int index) const = 0;
  // The "EndAfterShot" setting equals 1.
  virtual bool EndAfterShot() const = 0;
  virtual void Run(WalkAction action) = 0;
  // Hides the page frame and the logo and lets pending window events run, so
  // that a hidden page flashes by unseen.
  virtual void HideFrameAndLogo() = 0;
  virtual void ShowFrameAndLogo() = 0;
  virtual void SetButtons(bool backEnabled, bool closeVisible, std::string_view nextCaption) = 0;
  virtual void SetTitle(std::string_view title) = 0;
  virtual void LoadLogo(int page) = 0;
  // Hides every page panel and shows `page` in the welcome page's place.
  virtual void ShowPage(int page) = 0;
};

class WizardWalk {
 public:
  explicit WizardWalk(WalkHost& host) : host_(host) {}

  int CurrentPage() const { return currentPage_; }
  void SetCurrentPage(int page) { currentPage_ = page; }
  int FirstShownPage() const { return firstShownPage_; }
  int LastShownPage() const { return lastShownPage_; }
  // Deepest nesting of moves seen so far (a test hook and a sanity figure).
  int DeepestNesting() const { return deepest_; }

  // OpenWizard's start: page -1, then one move forward.
  void Start();
  void Move(Direction direction);

 private:
  void Arrive(int page, bool forward);
  void Finish(bool forward);

  WalkHost& host_;
  int currentPage_ = 0;
  int firstShownPage_ = -1;
  int lastShownPage_ = -1;
  int depth_ = 0;
  int deepest_ = 0;
};

}  // namespace vistrel::wizard
