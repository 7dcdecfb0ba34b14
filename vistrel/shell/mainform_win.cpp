#include "mainform_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "capture_handover.h"
#include "color_warning.h"
#include "command_line_win.h"
#include "conversion_client_win.h"
#include "countdown.h"
#include "dpi_win.h"
#include "event_pump_win.h"
#include "fx_exchange_win.h"
#include "gdi_handles_win.h"
#include "monitor_query_win.h"
#include "number_text.h"
#include "program_settings_win.h"
#include "recent_captures.h"
#include "setup_dialog_win.h"
#include "setup_settings.h"
#include "shell_forms_win.h"
#include "shell_ids.h"
#include "shell_selector_win.h"
#include "shell_state.h"
#include "splash_win.h"
#include "stage_times_win.h"
#include "startup_texts.h"
#include "vistlib_client_win.h"
#include "window_thunk_win.h"
#include "wizard_win.h"

namespace vistrel {

namespace {

constexpr char kPichookClass[] = "VistrelPichook";
constexpr char kSelectorCaption[] = "Autocropping Selector";

// Restores the saved mouse pointer on every way out of the capture.
class HourglassPointer {
 public:
  HourglassPointer() : saved_(GetCursor()) { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
  ~HourglassPointer() { SetCursor(saved_); }
  HourglassPointer(const HourglassPointer&) = delete;
  HourglassPointer& operator=(const HourglassPointer&) = delete;

 private:
  HCURSOR saved_;
};

// A rectangle of capture pixels in the twips the crop rectangles are kept in.
TwipsRect PixelsToTwips(const Rect& r) {
  const double tx = TwipsPerPixelX;
  const double ty = TwipsPerPixelY;
  return {RoundToInt32(r.left * tx).value_or(0), RoundToInt32(r.top * ty).value_or(0),
          RoundToInt32(r.right * tx - r.left * tx).value_or(0),
          RoundToInt32(r.bottom * ty - r.top * ty).value_or(0)};
}

int Message(const std::string& text, UINT style, const char* caption = kAppTitle) {
  return MessageBoxA(nullptr, text.c_str(), caption, style | MB_SETFOREGROUND);
}

}  // namespace

// The process's named mutex, held until the process ends.
static HANDLE singleInstance = nullptr;

Mainform& Mainform::Instance() {
  static Mainform form;
  return form;
}

HWND MainformWindow() { return Mainform::Instance().Window(); }
void EnableEditMenuItem(bool enabled) { Mainform::Instance().EnableEdit(enabled); }
void QuitProgram() { Mainform::Instance().Quit(); }
int RunAreaSelector(HWND owner, HBITMAP wholePic, int cropStyle) {
  return Mainform::Instance().ShowSelectorModal(owner, AreaModeForCropStyle(cropStyle), wholePic);
}

bool Mainform::Load(HINSTANCE instance, const std::string& arguments,
                    std::optional<CaptureCommand> startupCommand) {
  instance_ = instance;
  arguments_ = arguments;
  if (startupCommand) command_ = PendingCommand{nullptr, *startupCommand};

  // 1. One instance only; the second one says so under a blank caption.
  singleInstance = CreateMutexA(nullptr, FALSE, kSingleInstanceMutex);
  if (singleInstance && GetLastError() == ERROR_ALREADY_EXISTS) {
    const std::string keptTitle = kAppTitle;
    MessageBoxA(nullptr, AlreadyRunningText(keptTitle).c_str(), " ", MB_OK);
    return false;
  }

  if (!CreateWindows()) return false;
  // 2. The tray icon.
  tray_.Add(pichook_);
  // 3. Mainform stays hidden; the menu exists only to pop up.
  CreateTrayMenu();
  // 4. Twips per pixel at 1440 twips to the logical inch.
  {
    const WindowDc dc(window_);
    TwipsPerPixelX = 1440.0f / static_cast<float>(GetDeviceCaps(dc.get(), LOGPIXELSX));
    TwipsPerPixelY = 1440.0f / static_cast<float>(GetDeviceCaps(dc.get(), LOGPIXELSY));
  }
  // 5. The selector's view and zoom list.
  CreateSelectorControls();
  // 6.
  EnableEdit(false);
  // 7. From here on the capture key (Print Screen unless Setup chose another)
  // reaches Form_MouseMove.
  VistlibClient::Instance().SetHotkey(StoredHotkey(ProgramSettings()));
  VistlibClient::Instance().Init(window_);
  // 8. Without the conversion component only bitmaps can be saved.
  if (!TheConversionComponent().Create()) {
    Message(
        "The image conversion component (TiffDLL.ClsTiffDLL) could not be started. Screen "
        "shots can be saved as .bmp files only.",
        MB_OK | MB_ICONEXCLAMATION);
  }
  // 9, 10. The colour-depth warning.
  {
    const double colorCount = [this] {
      const WindowDc dc(window_);
      return ColorCount(GetDeviceCaps(dc.get(), BITSPIXEL), GetDeviceCaps(dc.get(), PLANES));
    }();
    SettingsStore& settings = ProgramSettings();
    if (PrepareColorWarning(settings, colorCount)) {
      int answer = Message(ColorWarningMessage(colorCount, kAppTitle), 0x33);
      WarningAnswer choice = answer == IDYES  ? WarningAnswer::Yes
                             : answer == IDNO ? WarningAnswer::No
                                              : WarningAnswer::Cancel;
      if (AnswerColorWarning(settings, colorCount, choice, IsSafeColor(arguments_))) Quit();
    }
  }
  // 11. The start-up window; the first-use tip follows its timer.
  SplashScreen::Show(instance_, [this] { AfterSplash(); });
  // 12.
  CenterForm(window_);
  // 13. The wizard, loaded hidden.
  wizard::ShellHooks hooks;
  hooks.quitProgram = [] { QuitProgram(); };
  hooks.enableEditMenu = [](bool enabled) { EnableEditMenuItem(enabled); };
  hooks.runAreaSelector = [](HWND owner, HBITMAP wholePic, int cropStyle) {
    return RunAreaSelector(owner, wholePic, cropStyle);
  };
  hooks.applyAreaChoice = [](int wahl) { Mainform::Instance().ApplyAreaChoice(wahl); };
  hooks.showSetup = [](HWND owner) { ShowSetupDialog(owner); };
  WizardPreloading = true;
  bool wizardLoaded = wizard::PreloadWizard(instance_, hooks);
  WizardPreloading = false;
  if (!wizardLoaded) {
    Message("The wizard window could not be created.", MB_OK | MB_ICONSTOP);
    Quit();
  }
  started_ = true;
  return true;
}

void Mainform::AfterSplash() {
  SettingsStore& settings = ProgramSettings();
  if (SettingIsTrue(settings.GetSetting("Divers", "NewbieTip", "True"))) {
    DialogOpen = true;
    int answer = Message(NewbieTipText(), MB_YESNO | MB_ICONINFORMATION);
    DialogOpen = false;
    if (answer == IDNO) settings.SaveSetting("Divers", "NewbieTip", "False");
  }
  splashDone_ = true;
  // The capture this program was started for, now that the start-up windows are gone.
  if (command_) PostMessageA(window_, ids::kRunCommandMessage, 0, 0);
  if (IsSetup(arguments_)) ShowSetupDialog(window_);
}

bool Mainform::CreateWindows() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowThunk<Mainform, &Mainform::Handle>;
  windowClass.hInstance = instance_;
  windowClass.lpszClassName = kMainWindowClass;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.hIcon = DrawCameraIcon(false);
  if (!RegisterClassA(&windowClass)) return false;

  WNDCLASSA hookClass{};
  hookClass.lpfnWndProc = WindowThunk<Mainform, &Mainform::PichookMessage>;
  hookClass.hInstance = instance_;
  hookClass.lpszClassName = kPichookClass;
  RegisterClassA(&hookClass);

  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  const int dpi = SystemDpi();
  const int width = std::max(Scaled(780, dpi), std::min(screenW - 80, Scaled(1100, dpi)));
  const int height = std::max(Scaled(560, dpi), std::min(screenH - 80, Scaled(800, dpi)));
  window_ = CreateWindowExA(0, kMainWindowClass, kSelectorCaption, WS_OVERLAPPEDWINDOW, 0, 0,
                            std::min(width, screenW), std::min(height, screenH), nullptr, nullptr,
                            instance_, this);
  if (!window_) return false;
  pichook_ = CreateWindowExA(0, kPichookClass, "", WS_CHILD, 0, 0, 0, 0, window_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kPichook)),
                             instance_, this);
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  return pichook_ != nullptr;
}

void Mainform::CreateTrayMenu() {
  trayMenu_ = CreatePopupMenu();
  AppendMenuA(trayMenu_, MF_STRING, ids::kMenuVistrel,
              CaptureMenuText(StoredHotkey(ProgramSettings())).c_str());
  // The delayed capture right under the capture it delays.
  HMENU later = CreatePopupMenu();
  AppendMenuA(later, MF_STRING, ids::kMenuDelay3, "Make Vistrel in &3 seconds");
  AppendMenuA(later, MF_STRING, ids::kMenuDelay5, "Make Vistrel in &5 seconds");
  AppendMenuA(later, MF_STRING, ids::kMenuDelay10, "Make Vistrel in 1&0 seconds");
  AppendMenuA(trayMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(later), "Make Vistrel &later");
  AppendMenuA(trayMenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(trayMenu_, MF_STRING, ids::kMenuEdit, "&Edit");
  AppendMenuA(trayMenu_, MF_STRING, ids::kMenuSetup, "&Setup");
  recentMenu_ = CreatePopupMenu();
  AppendMenuA(trayMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(recentMenu_), "&Recent captures");
  AppendMenuA(trayMenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(trayMenu_, MF_STRING, ids::kMenuBeenden, "&End");
  SetMenuDefaultItem(trayMenu_, ids::kMenuVistrel, FALSE);
}

void Mainform::EnableEdit(bool enabled) {
  if (trayMenu_) {
    EnableMenuItem(trayMenu_, ids::kMenuEdit, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }
}

LRESULT Mainform::PichookMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallbackMessage) {
    // The icon's mouse event arrives where a mouse move has its x coordinate.
    PichookMouseMove(static_cast<int>(lParam & 0xFFFF));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Mainform::PichookMouseMove(int event) {
  switch (TrayEventAction(event)) {
    case TrayAction::Capture:
      TakeCapture();
      break;
    case TrayAction::PopUpMenu:
      // The menu lets events run while it is open.
      if (MayStartWork()) {
        WorkScope menu;
        PopUpMenu();
      }
      break;
    case TrayAction::None:
      break;
  }
}

void Mainform::PopUpMenu() {
  POINT at{};
  GetCursorPos(&at);
  FillRecentMenu();
  // Setup may have chosen another capture key since the menu was last shown.
  const std::string captureText = CaptureMenuText(StoredHotkey(ProgramSettings()));
  ModifyMenuA(trayMenu_, ids::kMenuVistrel, MF_BYCOMMAND | MF_STRING, ids::kMenuVistrel,
              captureText.c_str());
  // Without the foreground the menu would stay open when the user clicks elsewhere.
  SetForegroundWindow(window_);
  TrackPopupMenu(trayMenu_, TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
  PostMessageA(window_, WM_NULL, 0, 0);
}

void Mainform::EditClick() {
  if (HaveCapture) {
    wizard::ShowWizard();
    EnableEdit(false);
  } else {
    TakeCapture();
  }
}

bool Mainform::TakeCapture() {
  // A capture command let through by this capture's own message pumping, or by
  // other work's.
  if (!MayStartWork()) return false;
  // Print Screen during start-up (a message box of Load pumps messages) would
  // capture into a wizard that does not exist yet.
  if (!started_) {
    MessageBeep(MB_ICONEXCLAMATION);
    return false;
  }
  // A capture asked for now wins over one counting down (and its window goes first).
  countdown_.Cancel();
  StageTime("command");
  // 1.
  wizard::ResetCurrentPage();
  // 2.
  if (DialogOpen) {
    Message(CaptureRefusedText(), MB_OK);
    return false;
  }
  WorkScope work;

  SettingsStore& settings = ProgramSettings();
  // 3. The program's own windows stay out of the picture.
  if (!IsShootYourself(arguments_)) {
    wizard::HideWizard();
  }
  // 4.
  ClearScreenPicture();
  wizard::ReleasePictures();
  InvalidateRect(projektion_, nullptr, TRUE);
  DoEvents();
  // 5. The capture spans every monitor; the desktop is read just before it,
  // so the pointer's monitor is the one it is on at the moment of the capture.
  const vistlib::DesktopLayout layout = vistlib::ReadDesktopLayout();
  screenWidth_ = layout.virtualScreen.Width();
  screenHeight_ = layout.virtualScreen.Height();
  FullScreenTwips = {0, 0, RoundToInt32(screenWidth_ * double(TwipsPerPixelX)).value_or(0),
                     RoundToInt32(screenHeight_ * double(TwipsPerPixelY)).value_or(0)};
  PointerMonitorTwips = PixelsToTwips(layout.PointerMonitorInCapture());
  // 6.
  const bool showCursor = SettingIsTrue(settings.GetSetting("Divers", "ShowCursor", "True"));
  VistlibClient::Instance().Cheese(showCursor ? "1" : "0");
  StageTime("captured");
  bool captured = false;
  {
    // 7.
    HourglassPointer hourglass;
    // 8.
    tray_.SetBusy(true);
    // 9.
    HaveCapture = true;
    EnableEdit(false);
    // 10, 11.
    // The library gives screen coordinates; the crop wants the window's part
    // on the monitors, in the capture's pixels.
    ActiveWindowTwips =
        PixelsToTwips(layout.WindowInCapture(VistlibClient::Instance().GiveActiveWindow()));
    // 12. The remembered area choice; text that names no option counts as the full screen.
    double wahl = Val(settings.GetSetting("Divers", "Wahl", "0"));
    int mode = (wahl == 1 || wahl == 2 || wahl == 3) ? static_cast<int>(wahl) : 0;
    ApplyAreaChoice(mode);
    // 13.
    wizard::ResetCurrentPage();
    // 14.
    tray_.SetBusy(false);
    // 15.
    DoEvents();
    // 16-18. The clipboard gets the capture (the library says so when it
    // cannot); the wizard gets its own copy from the library directly, so
    // that no other program holding or changing the clipboard meanwhile can
    // keep the capture from it or give it another picture.
    VistlibClient::Instance().Transfer();
    captured = wizard::TakeCapture(VistlibClient::Instance().GivePicture());
    StageTime("transferred");
    // 19. (the hourglass ends here)
  }
  if (!captured) {
    // No wizard, so no output: nothing is saved, printed or sent with a white
    // or an older picture. The tray stays ready for the next capture.
    HaveCapture = false;
    ShowWindow(window_, SW_HIDE);
    Message(kCaptureLostText, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  // 20, 21.
  wizard::OpenWizard();
  StageTime("opened");
  wizard::ShowSelection();
  wizard::ShowWizard();
  EnableEdit(false);
  ShowWindow(window_, SW_HIDE);
  return true;
}

void Mainform::DelayedCapture(int milliseconds) {
  // One count-down at a time, and none while a capture runs.
  if (!started_ || WorkRunning() || countdown_.Active() || command_) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  countdown_.Start(
      milliseconds, [this](int seconds) { tray_.SetTip(CountdownTip(seconds)); },
      [this](bool fired) {
        tray_.SetTip("");
        if (fired) TakeCapture();
      });
}

void Mainform::FillRecentMenu() {
  while (GetMenuItemCount(recentMenu_) > 0) DeleteMenu(recentMenu_, 0, MF_BYPOSITION);
  showMenu_ = nullptr;  // deleted with its item
  recentFiles_.clear();
  const std::vector<RecentCapture> entries = PruneRecentCaptures(ProgramSettings(), FileExists);
  if (entries.empty()) {
    AppendMenuA(recentMenu_, MF_STRING | MF_GRAYED, ids::kMenuRecentNone, "(none)");
    return;
  }
  showMenu_ = CreatePopupMenu();
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string label = RecentCaptureLabel(entries[i]);
    AppendMenuA(recentMenu_, MF_STRING, ids::kMenuRecentOpen0 + i, label.c_str());
    AppendMenuA(showMenu_, MF_STRING, ids::kMenuRecentShow0 + i, label.c_str());
    recentFiles_.push_back(entries[i].path);
  }
  AppendMenuA(recentMenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(recentMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(showMenu_), "Show in &folder");
}

void Mainform::OpenRecent(int index, bool inFolder) {
  if (index < 0 || static_cast<size_t>(index) >= recentFiles_.size()) return;
  const std::string& path = recentFiles_[static_cast<size_t>(index)];
  HINSTANCE started;
  if (inFolder) {
    const std::string select = "/select,\"" + path + "\"";
    started =
        ShellExecuteA(nullptr, "open", "explorer.exe", select.c_str(), nullptr, SW_SHOWNORMAL);
  } else {
    started = ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  if (reinterpret_cast<INT_PTR>(started) <= 32) {
    Message("\"" + path + "\" could not be " + (inFolder ? "shown in its folder" : "opened") +
                ": " +
                (FileExists(path) ? "no program is registered for it."
                                  : "the file is no longer there."),
            MB_OK | MB_ICONEXCLAMATION);
  }
}

void Mainform::Quit() {
  Quitting = true;
  EndRequested = true;
  tray_.Remove();
  VistlibClient::Instance().Quit();
  TheConversionComponent().Release();
  QueryUnload(CloseReason::Code);
  ExitProcess(0);
}

void Mainform::QueryUnload(CloseReason reason) {
  switch (DecideClose(reason, Quitting, EndRequested)) {
    case CloseAction::EndProcess:
      ExitProcess(0);
    case CloseAction::Quit:
      Quit();
    case CloseAction::HandOverToWizard:
      HandOverToWizard();
      return;
  }
}

void Mainform::HandOverToWizard() {
  wizard::SetCropStyle(CropStyleForAreaMode(areaMode_));
  wizard::ShowSelection();
  selectorOpen_ = false;
  ShowWindow(window_, SW_HIDE);
  wizard::ShowWizard();
  EnableEdit(false);
}

LRESULT Mainform::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages of the creation arrive before CreateWindowEx has returned the handle.
  if (message == WM_NCCREATE) window_ = window;
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    tray_.Readd();
    return 0;
  }
  switch (message) {
    case ids::kRunCommandMessage:
      RunCommand();
      return 0;
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data && data->dwData == kCommandRequestTag) {
        return CommandRequest(reinterpret_cast<HWND>(wParam), *data);
      }
      return FALSE;
    }
    case ids::kRestoreZoomMessage:
      if (ZoomText() != previousZoom_) RestorePreviousZoom();
      return 0;
    case WM_MOUSEMOVE:
      // vistlib's Print Screen command; real mouse moves over the selector are ignored.
      if (IsCaptureCommand(static_cast<int64_t>(lParam))) TakeCapture();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) >= ids::kMenuRecentOpen0 && LOWORD(wParam) < ids::kMenuRecentOpen0 + 10) {
        OpenRecent(LOWORD(wParam) - ids::kMenuRecentOpen0, false);
        return 0;
      }
      if (LOWORD(wParam) >= ids::kMenuRecentShow0 && LOWORD(wParam) < ids::kMenuRecentShow0 + 10) {
        OpenRecent(LOWORD(wParam) - ids::kMenuRecentShow0, true);
        return 0;
      }
      switch (LOWORD(wParam)) {
        case ids::kMenuVistrel:
          TakeCapture();
          return 0;
        case ids::kMenuEdit:
          EditClick();
          return 0;
        case ids::kMenuDelay3:
          DelayedCapture(3000);
          return 0;
        case ids::kMenuDelay5:
          DelayedCapture(5000);
          return 0;
        case ids::kMenuDelay10:
          DelayedCapture(10000);
          return 0;
        case ids::kMenuSetup:
          ShowSetupDialog(window_);
          return 0;
        case ids::kMenuBeenden:
          Quit();
        case ids::kOk:
          QueryUnload(CloseReason::Code);
          return 0;
        case ids::kAuswahl0:
        case ids::kAuswahl0 + 1:
        case ids::kAuswahl0 + 2:
        case ids::kAuswahl0 + 3:
          if (HIWORD(wParam) == BN_CLICKED) AuswahlClick(LOWORD(wParam) - ids::kAuswahl0);
          return 0;
        case ids::kZoom:
          if (HIWORD(wParam) == CBN_SELCHANGE) {
            // The list's choice is not in the edit field yet when this arrives.
            int index = static_cast<int>(SendMessageA(zoom_, CB_GETCURSEL, 0, 0));
            if (index >= 0) {
              char text[32] = "";
              if (SendMessageA(zoom_, CB_GETLBTEXTLEN, index, 0) < LRESULT(sizeof text)) {
                SendMessageA(zoom_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
              }
              SetZoomText(text);
            }
            ZoomChange();
          } else if (HIWORD(wParam) == CBN_KILLFOCUS) {
            if (ZoomText() != previousZoom_) ZoomChange();
          }
          return 0;
        case IDOK:  // Enter in the zoom box
          if (GetFocus() && GetParent(GetFocus()) == zoom_) ZoomChange();
          return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        QueryUnload(CloseReason::CloseBox);
        return 0;
      }
      break;
    case WM_CLOSE:
      // A WM_CLOSE that did not come through the close box comes from another program.
      QueryUnload(CloseReason::TaskManager);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) QueryUnload(CloseReason::WindowsEnds);
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) FormResize();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {Scaled(640, dpi_), Scaled(360, dpi_)};
      return 0;
    }
    case WM_DPICHANGED: {
      // Moved onto a monitor of another DPI: the top panel is laid out again
      // and the window takes the size the system suggests for it there.
      PlaceSelectorControls(HIWORD(wParam));
      vistrel::TakeSuggestedRect(window_, lParam);
      return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      OnScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vistrel
