// The wizard window under Windows: its walk over real controls, the settings
// in the registry, the clipboard page and the end of the walk.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "event_pump_win.h"
#include "fx_exchange_win.h"
#include "message_box_answerer.h"
#include "program_settings_win.h"
#include "send_mail.h"
#include "shell_state.h"
#include "text_fit_win.h"
#include "wizard_res.h"
#include "wizard_walk.h"
#include "window_thunk_win.h"
#include "wizard_win.h"

namespace vistrel::wizard {
namespace {

using vistrel::testing::MessageBoxAnswerer;

constexpr char kSettingsKey[] = "Software\\VB and VBA Program Settings\\Tarnwick Vistrel";

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Pumps messages until the condition holds or the deadline passes.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

std::string Text(HWND window) {
  char buffer[512] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

HBITMAP TestCapture(int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int y = 0; y < height; y += 16) {
    RECT band = {0, y, width, y + 16};
    HBRUSH brush = CreateSolidBrush(RGB((y * 3) % 256, 120, 200));
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

void PutOnClipboard(HBITMAP bitmap) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, bitmap);
  CloseClipboard();
}

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

// Saves the window as it is on the screen, when VISTREL_SHOTS_DIR is set.
void Shot(const std::string& name) {
  char folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("VISTREL_SHOTS_DIR", folder, MAX_PATH)) return;
  HWND window = WizardWindow();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  RECT r;
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(dc, old);
  BITMAPINFOHEADER header{sizeof header, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const int stride = (w * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * h);
  GetDIBits(dc, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof header};
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  const std::string path = std::string(folder) + "\\" + name + ".bmp";
  if (FILE* out = fopen(path.c_str(), "wb")) {
    fwrite(&file, sizeof file, 1, out);
    fwrite(&header, sizeof header, 1, out);
    fwrite(pixels.data(), 1, pixels.size(), out);
    fclose(out);
  }
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

struct HookLog {
  int quits = 0;
  std::vector<bool> editMenu;
  int previewHides = 0;
  std::vector<int> areaChoices;
  int selectorRuns = 0;
  bool dialogOpenInSelector = false;
  int selectorAnswer = -1;
};
HookLog hookLog;

class WizardWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    ShellHooks hooks;
    hooks.quitProgram = [] { ++hookLog.quits; };
    hooks.enableEditMenu = [](bool on) { hookLog.editMenu.push_back(on); };
    hooks.hideOutputPreview = [] { ++hookLog.previewHides; };
    hooks.applyAreaChoice = [](int wahl) { hookLog.areaChoices.push_back(wahl); };
    hooks.runAreaSelector = [](HWND, HBITMAP, int) {
      ++hookLog.selectorRuns;
      hookLog.dialogOpenInSelector = DialogOpen;
      return hookLog.selectorAnswer;
    };
    ASSERT_TRUE(PreloadWizard(GetModuleHandleA(nullptr), hooks));
  }

  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    hookLog = HookLog{};
    TwipsPerPixelX = 15;
    TwipsPerPixelY = 15;
    FullScreenTwips = {0, 0, 640 * 15, 480 * 15};
    ActiveWindowTwips = {100 * 15, 50 * 15, 200 * 15, 100 * 15};
    SelectionTwips = {10 * 15, 20 * 15, 30 * 15, 40 * 15};
    HideWizard();
    ResetCurrentPage();
    ASSERT_TRUE(TakeCapture(TestCapture(640, 480)));
  }

  void TearDown() override {
    HideWizard();
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  }

  static HWND Window() { return WizardWindow(); }
  static HWND Button(int id) { return GetDlgItem(Window(), id); }
  static std::string Title() { return Text(GetDlgItem(Window(), IDC_TITEL)); }

  // The visible page panel and its number (by a control only it has).
  static int ShownPage() {
    static const int marker[kPageCount] = {IDC_LABEL1,  IDC_SELECTIONDISP, IDC_PERCTEXT0,
                                           IDC_FILEFORMAT, IDC_COPYTOCLIPCOMMAND, IDC_MAILTO,
                                           IDC_COPIES};
    int shown = -1;
    for (HWND child = GetWindow(Window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      for (int page = 0; page < kPageCount; ++page)
        if (GetDlgItem(child, marker[page])) {
          EXPECT_EQ(shown, -1) << "two pages visible";
          shown = page;
        }
    }
    return shown;
  }
  static HWND PageWindow(int page) {
    static const int marker[kPageCount] = {IDC_LABEL1,  IDC_SELECTIONDISP, IDC_PERCTEXT0,
                                           IDC_FILEFORMAT, IDC_COPYTOCLIPCOMMAND, IDC_MAILTO,
                                           IDC_COPIES};
    for (HWND child = GetWindow(Window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (GetDlgItem(child, marker[page])) return child;
    return nullptr;
  }
  static HWND PageControl(int page, int id) { return GetDlgItem(PageWindow(page), id); }
  static void Click(HWND control) {
    SendMessageA(control, BM_CLICK, 0, 0);
    Pump();
  }
  static void Next() { Click(Button(IDC_MOVER1)); }
  static void Back() { Click(Button(IDC_MOVER0)); }
  static std::string Stored(const char* section, const char* key) {
    return ProgramSettings().GetSetting(section, key, "<none>");
  }
  static void Open() {
    OpenWizard();
    ShowSelection();
    ShowWizard();
    Pump();
  }
};

TEST_F(WizardWindowTest, FirstOpeningShowsTheWelcomePageWithDefaults) {
  Open();
  EXPECT_EQ(Text(Window()), "Vistrel Wizard");
  EXPECT_TRUE(IsWindowVisible(Window()));
  EXPECT_EQ(ShownPage(), kWelcomePage);
  EXPECT_EQ(Title(), "You made a screen shot!");
  EXPECT_FALSE(IsWindowEnabled(Button(IDC_MOVER0)));
  EXPECT_EQ(Text(Button(IDC_MOVER1)), "&Next >");
  EXPECT_TRUE(IsWindowVisible(Button(IDC_PRIVCLOSE)));
  for (int page = 0; page < kPageCount; ++page)
    EXPECT_EQ(Stored("Show", std::to_string(page).c_str()), "0");
  EXPECT_EQ(Text(PageControl(kSavePage, IDC_VISTRELNAME)), "Vistrel");
  EXPECT_EQ(Text(PageControl(kSavePage, IDC_FILEFORMAT)), "bmp-Windows Bitmap");
  EXPECT_EQ(Text(PageControl(kEffectsPage, IDC_PERCTEXT0)), "100");
  EXPECT_EQ(Text(PageControl(kEffectsPage, IDC_ROTTEXT)), "0");
  EXPECT_EQ(SendMessageA(PageControl(kCropPage, IDC_USECROPOREDIT1), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  EXPECT_EQ(CropStyle(), 0);
  EXPECT_EQ(Text(PageControl(kCropPage, IDC_SELECTIONDISP)), "Current selection: 200 x 100 Pixel");
  EXPECT_EQ(Text(PageControl(kEffectsPage, IDC_SCALETITLE0)), "Pixel");
  Shot("page0");
}

// Moved onto a monitor of another DPI (the system says so with WM_DPICHANGED),
// the frame takes the suggested rectangle and its pages, controls and faces
// scale with it, there and back, every text still fitting.
TEST_F(WizardWindowTest, FollowsAChangeOfDpiThereAndBack) {
  Open();
  auto width = [](HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    return static_cast<int>(box.right - box.left);
  };
  auto faceHeight = [](HWND control) {
    LOGFONTA face{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof face,
               &face);
    return std::abs(static_cast<int>(face.lfHeight));
  };
  RECT frame{};
  GetWindowRect(Window(), &frame);
  const HWND controls[] = {Button(IDC_MOVER1), GetDlgItem(Window(), IDC_TITEL),
                           PageControl(kCropPage, IDC_SELECTAREA),
                           PageControl(kSavePage, IDC_FILEFORMAT)};
  struct Seen {
    int width, face;
  };
  std::vector<Seen> at96;
  for (HWND control : controls) at96.push_back({width(control), faceHeight(control)});

  for (const int dpi : {192, 144, 96}) {
    SCOPED_TRACE(dpi);
    const int w = MulDiv(frame.right - frame.left, dpi, 96);
    const int h = MulDiv(frame.bottom - frame.top, dpi, 96);
    RECT suggested = {frame.left, frame.top, frame.left + w, frame.top + h};
    SendMessageA(Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    Pump();
    RECT now{};
    GetWindowRect(Window(), &now);
    // A dialog grows as its face does, which is close to the DPI's ratio.
    EXPECT_NEAR(now.right - now.left, w, w / 12);
    EXPECT_NEAR(now.bottom - now.top, h, h / 12);
    for (size_t i = 0; i < std::size(controls); ++i) {
      const int linear = MulDiv(at96[i].width, dpi, 96);
      EXPECT_NEAR(width(controls[i]), linear, std::max(3, linear / 12)) << i;
      EXPECT_NEAR(faceHeight(controls[i]), MulDiv(at96[i].face, dpi, 96), 1) << i;
    }
    const textfit::Check check = textfit::Measure(Window());
    EXPECT_GT(check.checked, 50);
    EXPECT_EQ(check.clipped, 0) << check.report;
  }
}

TEST_F(WizardWindowTest, WalkCropsToTheActiveWindowEmptiesTheClipboardAndEnds) {
  Open();
  Next();
  EXPECT_EQ(ShownPage(), kCropPage);
  EXPECT_EQ(Title(), "Use Vistrel Editor/Autocropping");
  EXPECT_TRUE(IsWindowEnabled(Button(IDC_MOVER0)));
  Shot("page1");
  Next();
  EXPECT_EQ(ShownPage(), kEffectsPage);
  EXPECT_EQ(Title(), "Select Special Effects.");
  EXPECT_EQ(CropRect(), ActiveWindowTwips);
  EXPECT_EQ(SizeOf(TempPic()).cx, 200);
  EXPECT_EQ(SizeOf(TempPic()).cy, 100);
  Shot("page2");
  Next();
  EXPECT_EQ(Title(), "Saving to File.");
  EXPECT_EQ(SizeOf(FxPic()).cx, 200) << "without effects the output is the crop";
  Shot("page3");
  PutOnClipboard(TestCapture(8, 8));
  Next();
  EXPECT_EQ(Title(), "Copy to Clipboard");
  EXPECT_EQ(CountClipboardFormats(), 0) << "arrival empties the clipboard";
  Shot("page4");
  Next();
  EXPECT_EQ(Title(), "Email Screen-Shot");
  Shot("page5");
  Next();
  EXPECT_EQ(Title(), "Printing");
  EXPECT_EQ(Text(Button(IDC_MOVER1)), "&Minimize");
  EXPECT_FALSE(IsWindowVisible(Button(IDC_PRIVCLOSE)));
  EXPECT_FALSE(Text(PageControl(kPrintPage, IDC_PRINTERDISP)).empty());
  Shot("page6");
  // Back to 4 empties the clipboard again.
  Back();
  PutOnClipboard(TestCapture(8, 8));
  Back();
  EXPECT_EQ(ShownPage(), kClipboardPage);
  EXPECT_EQ(CountClipboardFormats(), 0);
  Next();
  Next();
  Next();
  EXPECT_FALSE(IsWindowVisible(Window()));
  ASSERT_FALSE(hookLog.editMenu.empty());
  EXPECT_TRUE(hookLog.editMenu.back());
  EXPECT_EQ(hookLog.quits, 0);
}

TEST_F(WizardWindowTest, BoxesWriteTheirSettingsAtOnce) {
  Open();
  Next();
  Next();
  Next();
  Next();
  Click(PageControl(kClipboardPage, IDC_AUTOMATE5));
  EXPECT_EQ(Stored("Automate", "5"), "1");
  Click(PageControl(kClipboardPage, IDC_NOTSHOW));
  EXPECT_EQ(Stored("Show", "4"), "1");
  Click(PageControl(kPrintPage, IDC_STRETCHPRINT));
  EXPECT_EQ(Stored("Divers", "StretchToPage"), "1");
  SendMessageA(PageControl(kSavePage, IDC_FILEFORMAT), CB_SETCURSEL, 3, 0);
  SendMessageA(PageWindow(kSavePage), WM_COMMAND, MAKEWPARAM(IDC_FILEFORMAT, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(PageControl(kSavePage, IDC_FILEFORMAT)));
  EXPECT_EQ(Stored("Divers", "FileFormat"), "3");
  // The next capture reads them back.
  CloseWizard();
  Open();
  EXPECT_EQ(SendMessageA(PageControl(kClipboardPage, IDC_AUTOMATE5), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  EXPECT_EQ(SendMessageA(PageControl(kSavePage, IDC_FILEFORMAT), CB_GETCURSEL, 0, 0), 3);
}

TEST_F(WizardWindowTest, EditorChoiceEnablesTheEditorAndKeepsItsBox) {
  ProgramSettings().SaveSetting("Automate", "0", "1");
  Open();
  Next();
  EXPECT_FALSE(IsWindowEnabled(PageControl(kCropPage, IDC_PRIVGETSELECTIONWINDOW)));
  EXPECT_FALSE(IsWindowEnabled(PageControl(kCropPage, IDC_AUTOMATE0)));
  EXPECT_TRUE(IsWindowEnabled(PageControl(kCropPage, IDC_SELECTAREA)));
  EXPECT_EQ(SendMessageA(PageControl(kCropPage, IDC_AUTOMATE0), BM_GETCHECK, 0, 0), BST_CHECKED)
      << "disabled, not cleared";
  Click(PageControl(kCropPage, IDC_USECROPOREDIT0));
  EXPECT_TRUE(IsWindowEnabled(PageControl(kCropPage, IDC_PRIVGETSELECTIONWINDOW)));
  EXPECT_TRUE(IsWindowEnabled(PageControl(kCropPage, IDC_AUTOMATE0)));
  for (int id : {IDC_CROPSTYLE0, IDC_CROPSTYLE1, IDC_CROPSTYLE2, IDC_SELECTAREA, IDC_SELECTIONDISP})
    EXPECT_FALSE(IsWindowEnabled(PageControl(kCropPage, id)));
  // Any box click saves; going forward would open the editor.
  Click(PageControl(kCropPage, IDC_NOTSHOW));
  EXPECT_EQ(Stored("Automate", "UseCropOrEdit"), "0");
  Click(PageControl(kCropPage, IDC_NOTSHOW));
}

TEST_F(WizardWindowTest, CopiesLabelFollowsTheCount) {
  Open();
  HWND copies = PageControl(kPrintPage, IDC_COPIES);
  HWND label = PageControl(kPrintPage, IDC_LABEL8);
  SetWindowTextA(copies, "3");
  EXPECT_EQ(Text(label), "Copies");
  SetWindowTextA(copies, "0");
  EXPECT_EQ(Text(label), "Copies") << "0 leaves the label";
  SetWindowTextA(copies, "");
  EXPECT_EQ(Text(label), "Copies") << "empty leaves the label";
  SetWindowTextA(copies, "1");
  EXPECT_EQ(Text(label), "Copy");
}

// A page's command reaches that page's own work only: sent to any other
// page's panel it does nothing, on its own page it does what its click does.
TEST_F(WizardWindowTest, APagesCommandIsHandledOnItsOwnPageOnly) {
  Open();
  auto send = [](int page, int owner, int id, int code) {
    SendMessageA(PageWindow(page), WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(PageControl(owner, id)));
    Pump();
  };
  HWND label = PageControl(kPrintPage, IDC_LABEL8);
  SetWindowTextA(PageControl(kPrintPage, IDC_COPIES), "3");
  SetWindowTextA(label, "Copy");  // out of step with the count until the change is handled
  for (int page = 0; page < kPageCount; ++page) {
    if (page != kCropPage) send(page, kCropPage, IDC_SELECTAREA, BN_CLICKED);
    if (page != kPrintPage) send(page, kPrintPage, IDC_COPIES, EN_CHANGE);
  }
  EXPECT_EQ(hookLog.selectorRuns, 0);
  EXPECT_EQ(Text(label), "Copy");

  send(kCropPage, kCropPage, IDC_SELECTAREA, BN_CLICKED);
  EXPECT_EQ(hookLog.selectorRuns, 1);
  send(kPrintPage, kPrintPage, IDC_COPIES, EN_CHANGE);
  EXPECT_EQ(Text(label), "Copies");
  SetWindowTextA(PageControl(kPrintPage, IDC_COPIES), "1");
}

TEST_F(WizardWindowTest, SelectedAreaRunsTheSelectorWithCapturesRefused) {
  hookLog.selectorAnswer = 2;
  Open();
  Next();
  Click(PageControl(kCropPage, IDC_SELECTAREA));
  EXPECT_EQ(hookLog.selectorRuns, 1);
  EXPECT_TRUE(hookLog.dialogOpenInSelector);
  EXPECT_FALSE(DialogOpen);
  EXPECT_EQ(CropStyle(), 2);
  EXPECT_EQ(Text(PageControl(kCropPage, IDC_SELECTIONDISP)), "Current selection: 30 x 40 Pixel");
  EXPECT_TRUE(IsWindowVisible(Window()));
}

TEST_F(WizardWindowTest, ZeroSizeSelectionWarnsTwiceOnArrivalAtEffects) {
  ProgramSettings().SaveSetting("Automate", "CropStyle", "2");
  SelectionTwips = {300, 300, 0, 600};
  Open();
  Next();
  MessageBoxAnswerer answerer(kAppTitle);
  Next();
  EXPECT_EQ(ShownPage(), kEffectsPage);
  const auto texts = answerer.Texts();
  EXPECT_EQ(texts, (std::vector<std::string>(
                       2, "You've set the screen-shot size to zero. Any output will be empty!")));
  EXPECT_EQ(TempPic(), nullptr);
}

TEST_F(WizardWindowTest, UnknownScaleModeIsReportedAndThePixelUnitStays) {
  ProgramSettings().SaveSetting("Divers", "ScaleSystem", "7");
  MessageBoxAnswerer answerer(kAppTitle);
  Open();
  const auto texts = answerer.Texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), "Unknown Scale Mode 7");
  EXPECT_EQ(Text(PageControl(kEffectsPage, IDC_SCALETITLE0)), "Pixel");
}

TEST_F(WizardWindowTest, EveryPageHiddenWithEndAfterShotQuits) {
  for (int page = 0; page < kPageCount; ++page)
    ProgramSettings().SaveSetting("Show", std::to_string(page), "1");
  ProgramSettings().SaveSetting("Divers", "EndAfterShot", "1");
  OpenWizard();
  EXPECT_EQ(hookLog.quits, 1);
  EXPECT_FALSE(IsWindowVisible(Window()));
}

TEST_F(WizardWindowTest, EveryPageHiddenClosesAboutHalfASecondAfterShowing) {
  for (int page = 0; page < kPageCount; ++page)
    ProgramSettings().SaveSetting("Show", std::to_string(page), "1");
  OpenWizard();
  EXPECT_EQ(hookLog.quits, 0);
  hookLog.editMenu.clear();
  ShowWizard();
  EXPECT_TRUE(IsWindowVisible(Window()));
  const auto shown = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitFor([] { return !IsWindowVisible(Window()); }));
  const auto elapsed = std::chrono::steady_clock::now() - shown;
  EXPECT_GE(elapsed, std::chrono::milliseconds(400));
  ASSERT_FALSE(hookLog.editMenu.empty());
  EXPECT_TRUE(hookLog.editMenu.back());
}

TEST_F(WizardWindowTest, HiddenFirstPagesOpenOnTheEffectsPage) {
  ProgramSettings().SaveSetting("Show", "0", "1");
  ProgramSettings().SaveSetting("Show", "1", "1");
  Open();
  EXPECT_EQ(ShownPage(), kEffectsPage);
  EXPECT_EQ(Title(), "Select Special Effects.");
  EXPECT_FALSE(IsWindowEnabled(Button(IDC_MOVER0)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(Window(), IDC_LOGO)));
}

// Work that lets events run (a conversion, a preview's load, a send) meets the
// user's clicks and closes in the middle. A stand-in component halves the
// clipboard's picture, so a conversion run twice shows in the picture's size.
class WizardWorkTest : public WizardWindowTest {
 protected:
  void SetUp() override {
    WizardWindowTest::SetUp();
    conversions = 0;
    SetConvertImage([this](const std::string&) -> long {
      ++conversions;
      if (duringConversion) duringConversion();
      HBITMAP in = CopyBitmapFromClipboard(nullptr);
      const SIZE size = SizeOf(in);
      DeleteObject(in);
      HBITMAP half = TestCapture(size.cx / 2, size.cy / 2);
      PutBitmapOnClipboard(nullptr, half, true);
      DeleteObject(half);
      return 0;
    });
  }
  void TearDown() override {
    SetConvertImage(nullptr);
    duringConversion = nullptr;
    if (HWND preview = FindWindowA("VistrelPreview", nullptr)) {
      PostMessageA(preview, WM_CLOSE, 0, 0);
      WaitFor([] { return FindWindowA("VistrelPreview", nullptr) == nullptr; });
    }
    WizardWindowTest::TearDown();
  }
  // On the effects page with the full screen chosen and an effect ticked.
  void OpenOnEffectsPage() {
    ProgramSettings().SaveSetting("Automate", "CropStyle", "1");
    Open();
    Next();
    Next();
    ASSERT_EQ(ShownPage(), kEffectsPage);
    Click(PageControl(kEffectsPage, IDC_EFFECT0));
  }
  static void PostClick(int page, int id) {
    PostMessageA(PageWindow(page), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(PageControl(page, id)));
  }

  int conversions = 0;
  std::function<void()> duringConversion;
};

TEST_F(WizardWorkTest, AClickDuringAConversionDoesNotConvertTwice) {
  OpenOnEffectsPage();
  // The preview's click waits in the queue while "Next" converts.
  PostClick(kEffectsPage, IDC_PREVIEWCLICK);
  Next();
  EXPECT_EQ(ShownPage(), kSavePage);
  EXPECT_EQ(conversions, 1);
  EXPECT_EQ(SizeOf(FxPic()).cx, 320) << "the effects were applied twice";
  EXPECT_EQ(FindWindowA("VistrelPreview", nullptr), nullptr) << "the click was not refused";
  // Refused, not lost for good: the same click now opens the preview.
  Click(PageControl(kEffectsPage, IDC_PREVIEWCLICK));
  EXPECT_NE(FindWindowA("VistrelPreview", nullptr), nullptr);
  EXPECT_EQ(SizeOf(FxPic()).cx, 320);
}

TEST_F(WizardWorkTest, ANextClickedWhileNextMovesIsSpent) {
  OpenOnEffectsPage();
  // The second click waits in the queue while the first one converts.
  PostMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDC_MOVER1, BN_CLICKED),
               reinterpret_cast<LPARAM>(Button(IDC_MOVER1)));
  Next();
  Pump();
  EXPECT_EQ(ShownPage(), kSavePage) << "the waiting click skipped the save page";
}

TEST_F(WizardWorkTest, ThePreviewClosedDuringItsLoadClosesAfterIt) {
  OpenOnEffectsPage();
  Click(PageControl(kEffectsPage, IDC_PREVIEWCLICK));
  HWND preview = FindWindowA("VistrelPreview", nullptr);
  ASSERT_NE(preview, nullptr);
  bool openDuringLoad = false;
  duringConversion = [&] { openDuringLoad = IsWindow(preview) != FALSE; };
  // The close reaches the preview through its load's own event pump.
  PostMessageA(preview, WM_CLOSE, 0, 0);
  Click(PageControl(kEffectsPage, IDC_PREVIEWCLICK));
  EXPECT_EQ(conversions, 2);
  EXPECT_TRUE(openDuringLoad) << "the window went while its load ran";
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(preview); })) << "the close was lost";
  Click(PageControl(kEffectsPage, IDC_PREVIEWCLICK));
  EXPECT_NE(FindWindowA("VistrelPreview", nullptr), nullptr) << "no preview after the close";
}

TEST_F(WizardWorkTest, AClickDuringASendLeavesTheMailsPictureAlone) {
  OpenOnEffectsPage();
  for (int page = kEffectsPage; page < kMailPage; ++page) Next();
  ASSERT_EQ(ShownPage(), kMailPage);
  SetWindowTextA(PageControl(kMailPage, IDC_MAILTO), "you@there.test");
  MessageBoxAnswerer answerer(kAppTitle);
  // The preview's click waits in the queue; the send's status lines let it run.
  PostClick(kEffectsPage, IDC_PREVIEWCLICK);
  Click(PageControl(kMailPage, IDC_SENDMAILBTTN));
  // With the picture written, the send stops at the missing mail settings.
  EXPECT_EQ(answerer.Texts(), (std::vector<std::string>{kNoSettings}));
  EXPECT_EQ(conversions, 1);
  EXPECT_FALSE(WorkRunning());
}


// A handler that throws must neither end the program (the exception cannot
// unwind through the system's frames) nor vanish unseen.
struct Thrower {
  LRESULT Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) throw std::runtime_error("handler failed on purpose");
    return DefWindowProcA(window, message, wParam, lParam);
  }
};

TEST(WindowThunk, AnExceptionInAHandlerIsLoggedAndAnswered) {
  const std::string log = ProgramFolder() + "\\debug.txt";
  DeleteFileA(log.c_str());
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowThunk<Thrower, &Thrower::Message>;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VistrelThrowerTest";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  Thrower thrower;
  HWND window = CreateWindowExA(0, "VistrelThrowerTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleA(nullptr), &thrower);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 0);
  DestroyWindow(window);
  std::ifstream file(log);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("handler failed on purpose"), std::string::npos) << text.str();
  file.close();
  DeleteFileA(log.c_str());
}

}  // namespace
}  // namespace vistrel::wizard
