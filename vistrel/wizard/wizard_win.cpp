// The wizard window: seven page panels in one window, the walk between them,
// the window's and the pages' messages, and the wizard as the rest of the
// program calls it. The page logic is the portable walk and settings code; each
// page's commands and work are in its own class, the values in
// wizard_fields_win.cpp.
#include "wizard_window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "clipboard_picture_win.h"
#include "crop_preparation.h"
#include "dpi_win.h"
#include "event_pump_win.h"
#include "gdi_handles_win.h"
#include "number_text.h"
#include "preview_win.h"
#include "program_paths_win.h"
#include "shell_state.h"
#include "stage_times_win.h"
#include "wait_cursor_win.h"
#include "window_thunk_win.h"

namespace vistrel::wizard {

namespace {

// Where the page panels sit in the window, in dialog units.
constexpr RECT kPageArea = {101, 28, 101 + 272, 28 + 185};

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

void ReplaceBitmap(HBITMAP& slot, HBITMAP value) {
  if (slot != nullptr && slot != value) DeleteObject(slot);
  slot = value;
}

std::unique_ptr<Wizard> theWizard;

}  // namespace

Wizard::Wizard(const ShellHooks& hooks) : hooks_(hooks) {
  if (!hooks_.hideOutputPreview) hooks_.hideOutputPreview = print::HideOutputPreview;
  for (WizardPage* page : std::initializer_list<WizardPage*>{&crop_, &effects_, &save_, &clipboard_,
                                                             &mail_, &print_})
    pageObjects_[page->Page()] = page;
}

Wizard::~Wizard() {
  for (HWND page : pages_) ForgetDialogDpi(page);
  if (window_) ForgetDialogDpi(window_);
  if (window_) DestroyWindow(window_);
  if (titleFont_) DeleteObject(titleFont_);
  ReplaceBitmap(logo_, nullptr);
}

bool Wizard::Create(HINSTANCE instance) {
  window_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WIZARD), nullptr,
                               DialogThunk<Wizard, &Wizard::WindowMessage>,
                               reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) return false;
  TakeOverDialogDpi(window_);
  dpi_ = WindowDpi(window_);
  MakeTitleFont();

  RECT area = kPageArea;
  MapDialogRect(window_, &area);
  for (int page = 0; page < kPageCount; ++page) {
    pages_[page] = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WIZPAGE0 + page), window_,
                                      DialogThunk<Wizard, &Wizard::PageMessage>,
                                      reinterpret_cast<LPARAM>(this));
    if (pages_[page] == nullptr) return false;
    TakeOverDialogDpi(pages_[page]);
    // Every panel at the welcome page's place, the frame as tall as the tallest.
    SetWindowPos(pages_[page], HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOACTIVATE);
  }
  // The "Do not show" box at the same place on every page.
  RECT box;
  GetWindowRect(Control(kWelcomePage, IDC_NOTSHOW), &box);
  MapWindowPoints(nullptr, pages_[kWelcomePage], reinterpret_cast<POINT*>(&box), 2);
  for (int page = kWelcomePage + 1; page < kPageCount; ++page)
    SetWindowPos(Control(page, IDC_NOTSHOW), nullptr, box.left, box.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  // The pages' ranges and first values, the format list with the stored entry.
  for (WizardPage* page : pageObjects_)
    if (page) page->Attach(pages_[page->Page()]);

  // Centred on the screen.
  RECT frame;
  GetWindowRect(window_, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(pages_[kWelcomePage], SW_SHOW);
  return true;
}

// A larger bold face for the page title, made from the dialog's own.
void Wizard::MakeTitleFont() {
  LOGFONTA face{};
  if (HFONT font = DialogFace(window_)) GetObjectA(font, sizeof face, &face);
  face.lfHeight = face.lfHeight ? face.lfHeight * 3 / 2 : -16;
  face.lfWeight = FW_BOLD;
  HFONT made = CreateFontIndirectA(&face);
  SendDlgItemMessageA(window_, IDC_TITEL, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (titleFont_) DeleteObject(titleFont_);
  titleFont_ = made;
}

void Wizard::Message(const std::string& text, UINT icon) {
  MessageBoxA(IsWindowVisible(window_) ? window_ : nullptr, text.c_str(), kAppTitle, MB_OK | icon);
}

// ---- shell entry points ----

void Wizard::OpenWizard() {
  // The recipients are read again each time; the list starts empty so that
  // they are not listed twice.
  SendMessageA(Control(kMailPage, IDC_MAILTO), CB_RESETCONTENT, 0, 0);
  settings_.OpenWizard();
}

void Wizard::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
}

void Wizard::CloseWizard() {
  settings_.SaveWizardSettings();
  ShowWindow(window_, SW_HIDE);
  if (hooks_.hideOutputPreview) hooks_.hideOutputPreview();
  if (hooks_.enableEditMenu) hooks_.enableEditMenu(true);
}

void Wizard::ReleasePictures() {
  pictures_.wholePic = pictures_.tempPic = pictures_.fxPic = nullptr;
}

bool Wizard::TakeCapture(HBITMAP picture) {
  pictures_.wholePic = MakePicture(picture);
  pictures_.tempPic = pictures_.wholePic;
  return pictures_.wholePic != nullptr;
}

// ---- the walk ----

void Wizard::Move(Direction direction) {
  WorkScope work;
  walk_.Move(direction);
}

void Wizard::StartWalk() {
  WorkScope work;
  walk_.Start();
}

void Wizard::RefreshUnits() {
  LoadScaleSystem();
  effects_.UpdateScaleTexts();
  ShowSelection();
}

bool Wizard::NotShow(int page) const { return Checked(page, IDC_NOTSHOW); }

bool Wizard::Automate(int index) const {
  return Checked(kAutomatePage[index], IDC_AUTOMATE0 + index);
}

bool Wizard::EndAfterShot() const {
  return Val(ProgramSettings().GetSetting("Divers", "EndAfterShot", "0")) == 1;
}

void Wizard::HideFrameAndLogo() {
  // Over a row of hidden pages the frame is hidden already: nothing to repaint.
  if (!frameVisible_) return;
  frameVisible_ = false;
  ShowWindow(pages_[shownPage_], SW_HIDE);
  ShowWindow(GetDlgItem(window_, IDC_LOGO), SW_HIDE);
  DoEvents();
}

void Wizard::ShowFrameAndLogo() {
  frameVisible_ = true;
  ReadLogo();
  ShowWindow(pages_[shownPage_], SW_SHOW);
  ShowWindow(GetDlgItem(window_, IDC_LOGO), SW_SHOW);
}

void Wizard::SetButtons(bool backEnabled, bool closeVisible, std::string_view nextCaption) {
  EnableWindow(GetDlgItem(window_, IDC_MOVER0), backEnabled);
  ShowWindow(GetDlgItem(window_, IDC_PRIVCLOSE), closeVisible ? SW_SHOW : SW_HIDE);
  SetDlgItemTextA(window_, IDC_MOVER1, std::string(nextCaption).c_str());
}

void Wizard::SetTitle(std::string_view title) {
  SetDlgItemTextA(window_, IDC_TITEL, std::string(title).c_str());
}

void Wizard::LoadLogo(int page) {
  // A hidden page shows no logo: its picture is read once the frame shows.
  logoPage_ = page;
  if (frameVisible_) ReadLogo();
}

void Wizard::ReadLogo() {
  if (logoPage_ < 0) return;
  const int page = logoPage_;
  logoPage_ = -1;
  const std::string path = ProgramFolder() + "\\" + std::to_string(page + 1) + ".dat";
  auto picture = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (picture == nullptr) return;  // the previous picture stays
  ReplaceBitmap(logo_, picture);
  InvalidateRect(GetDlgItem(window_, IDC_LOGO), nullptr, TRUE);
}

void Wizard::ShowPage(int page) {
  for (int other = 0; other < kPageCount; ++other)
    if (other != page) ShowWindow(pages_[other], SW_HIDE);
  shownPage_ = page;
  if (frameVisible_) ShowWindow(pages_[page], SW_SHOW);
}

void Wizard::Run(WalkAction action) {
  switch (action) {
    // The window's own.
    case WalkAction::SaveSettings: settings_.SaveWizardSettings(); break;
    case WalkAction::HidePreview:
      if (hooks_.hideOutputPreview) hooks_.hideOutputPreview();
      break;
    case WalkAction::FixTwipsPerPixel: {
      WindowDc screen(nullptr);
      if (TwipsPerPixelX == 0) TwipsPerPixelX = 1440.0f / GetDeviceCaps(screen.get(), LOGPIXELSX);
      if (TwipsPerPixelY == 0) TwipsPerPixelY = 1440.0f / GetDeviceCaps(screen.get(), LOGPIXELSY);
      break;
    }
    case WalkAction::ZeroSizeCheck:
      if (IsZeroSize(pictures_.cropRect)) Message(kZeroSizeMessage, MB_ICONSTOP);
      break;
    case WalkAction::EnableTricktimer: SetTimer(window_, IDT_TRICKTIMER, 500, nullptr); break;
    case WalkAction::HideWizard: ShowWindow(window_, SW_HIDE); break;
    case WalkAction::EnableEditMenu:
      if (hooks_.enableEditMenu) hooks_.enableEditMenu(true);
      break;
    case WalkAction::QuitProgram:
      if (hooks_.quitProgram) hooks_.quitProgram();
      break;
    // The pages' work.
    case WalkAction::OpenEditor: crop_.EditCapture(); break;
    case WalkAction::CropPreparation:
      if (crop_.PrepareCrop()) effects_.UpdateScaleTexts();
      break;
    case WalkAction::UpdateScaleTexts: effects_.UpdateScaleTexts(); break;
    case WalkAction::DoFx: effects_.DoFx(); break;
    case WalkAction::OutputPreview: effects_.Preview(); break;
    case WalkAction::RefreshSaveName: save_.RefreshName(); break;
    case WalkAction::Save: save_.Save(); break;
    case WalkAction::FileBrowser: save_.ShowExplorer(); break;
    case WalkAction::OpenLastSaved: save_.OpenLastSaved(); break;
    case WalkAction::EmptyClipboard: clipboard_.Empty(); break;
    case WalkAction::CopyToClipboard: clipboard_.Copy(false); break;
    case WalkAction::ViewClipboard: clipboard_.View(); break;
    case WalkAction::SendMail: mail_.Send(); break;
    case WalkAction::PrinterDescription: print_.ShowPrinter(); break;
    case WalkAction::Print: print_.Print(); break;
  }
}

// ---- messages ----

void Wizard::DrawLogo(const DRAWITEMSTRUCT& item) {
  const RECT& box = item.rcItem;
  FillRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNFACE));
  const SIZE size = BitmapSize(logo_);
  if (size.cx == 0 || size.cy == 0) return;
  // Scaled to fit, keeping its proportions, at the top of the box.
  const int boxWidth = box.right - box.left, boxHeight = box.bottom - box.top;
  const double factor = std::min(static_cast<double>(boxWidth) / size.cx,
                                 static_cast<double>(boxHeight) / size.cy);
  const int width = static_cast<int>(size.cx * factor), height = static_cast<int>(size.cy * factor);
  MemoryDc source(CreateCompatibleDC(item.hDC));
  SelectGuard select(source.get(), logo_);
  SetStretchBltMode(item.hDC, HALFTONE);
  SetBrushOrgEx(item.hDC, 0, 0, nullptr);
  StretchBlt(item.hDC, box.left + (boxWidth - width) / 2, box.top, width, height, source.get(), 0,
             0, size.cx, size.cy, SRCCOPY);
}

void Wizard::MoveWhenFree(Direction direction) {
  if (!WorkRunning()) return Move(direction);
  // A click on Back or Next while work runs (the last moment of the editor's
  // hand-back, a send) moves once that work has returned; one move waits at
  // most, so that clicks in a row cannot skip pages. It moves from the page it
  // was clicked on: when the work itself moved on (a second Next during the
  // walk over hidden pages) the click is spent, or it would skip a page, and
  // on the last page, minimize the wizard.
  if (moveWaiting_) return;
  moveWaiting_ = true;
  const int clickedOn = shownPage_;
  AfterWork([this, direction, clickedOn] {
    moveWaiting_ = false;
    if (shownPage_ == clickedOn && IsWindowVisible(window_)) Move(direction);
  });
}

INT_PTR Wizard::WindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_MOVER0:
          MoveWhenFree(Direction::Back);
          return TRUE;
        case IDC_MOVER1:
          MoveWhenFree(Direction::Next);
          return TRUE;
        case IDC_COMMAND1:
          if (MayStartWork() && hooks_.showSetup) {
            WorkScope work;
            hooks_.showSetup(window_);
          }
          return TRUE;
        case IDC_PRIVCLOSE:
        case IDCANCEL:  // Escape
          if (!CloseWaitsForWork(window_)) CloseWizard();
          return TRUE;
        default: return FALSE;
      }
    case WM_CLOSE:
      if (!CloseWaitsForWork(window_)) CloseWizard();
      return TRUE;
    case WM_SETCURSOR:
      if (!Hourglass::AnyShown()) return FALSE;
      SetCursor(LoadCursor(nullptr, IDC_WAIT));
      SetWindowLongPtrA(window_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_TIMER:
      if (wParam != IDT_TRICKTIMER) return TRUE;
      KillTimer(window_, IDT_TRICKTIMER);
      {
        WorkScope work;
        for (int i = 0; i < 100; ++i) DoEvents();
        CloseWizard();
      }
      StageTime("closed");
      return TRUE;
    case WM_DPICHANGED:
      // Moved onto a monitor of another DPI: frame, pages and faces follow.
      RescaleDialog(window_, dpi_, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      dpi_ = HIWORD(wParam);
      MakeTitleFont();
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != IDC_LOGO) return FALSE;
      DrawLogo(*item);
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR Wizard::PageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  int index = 0;
  while (index < kPageCount && pages_[index] != page) ++index;
  if (index == kPageCount) return FALSE;
  switch (message) {
    case WM_COMMAND:
      OnCommand(index, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_VSCROLL:
      if (pageObjects_[index]) pageObjects_[index]->OnScroll(reinterpret_cast<HWND>(lParam));
      return TRUE;
  }
  return FALSE;
}

void Wizard::OnCommand(int page, int id, int code, HWND control) {
  // The boxes every page has store the wizard's settings at once.
  if (id == IDC_NOTSHOW || (id >= IDC_AUTOMATE0 && id <= IDC_AUTOMATE8)) {
    if (code == BN_CLICKED) settings_.SaveWizardSettings();
    return;
  }
  WizardPage* target = pageObjects_[page];
  if (target == nullptr) return;
  const bool startsWork = code == BN_CLICKED && target->StartsWork(id);
  if (startsWork && !MayStartWork()) return;
  std::optional<WorkScope> work;
  if (startsWork) work.emplace();
  target->OnCommand(id, code, control);
}

// ---- the interface ----

bool PreloadWizard(HINSTANCE instance, const ShellHooks& hooks) {
  if (theWizard) return true;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  auto wizard = std::make_unique<Wizard>(hooks);
  if (!wizard->Create(instance ? instance : ModuleInstance())) return false;
  theWizard = std::move(wizard);
  return true;
}

HWND WizardWindow() { return theWizard ? theWizard->Window() : nullptr; }

void ResetCurrentPage() {
  if (theWizard) theWizard->ResetCurrentPage();
}

void ReleasePictures() {
  if (theWizard) theWizard->ReleasePictures();
}

bool TakeCapture(HBITMAP picture) {
  if (theWizard) return theWizard->TakeCapture(picture);
  if (picture) DeleteObject(picture);
  return false;
}

void OpenWizard() { if (theWizard) theWizard->OpenWizard(); }

void ShowWizard() { if (theWizard) theWizard->Show(); }

void HideWizard() {
  if (theWizard) ShowWindow(theWizard->Window(), SW_HIDE);
}

bool WizardVisible() { return theWizard && IsWindowVisible(theWizard->Window()); }

void CloseWizard() {
  if (theWizard) theWizard->CloseWizard();
}

int CropStyle() { return theWizard ? theWizard->CropStyle() : -1; }

void SetCropStyle(int style) {
  if (theWizard) theWizard->SetCropStyle(style);
}

TwipsRect CropRect() { return theWizard ? theWizard->Pictures().cropRect : TwipsRect{}; }

void SetCropRect(const TwipsRect& rect) {
  if (theWizard) theWizard->Pictures().cropRect = rect;
}

void ShowSelection() {
  if (theWizard) theWizard->ShowSelection();
}

void RefreshUnits() {
  if (theWizard) theWizard->RefreshUnits();
}

void SetNotShow(int page, bool on) {
  if (theWizard && page >= 0 && page < kPageCount) theWizard->SetNotShow(page, on);
}

bool IsWizardDialogMessage(MSG* message) {
  if (!theWizard || message == nullptr) return false;
  HWND window = theWizard->Window();
  if (message->hwnd != window && !IsChild(window, message->hwnd)) return false;
  return IsDialogMessageA(window, message) != FALSE;
}

HBITMAP WholePic() { return theWizard ? Handle(theWizard->Pictures().wholePic) : nullptr; }
HBITMAP TempPic() { return theWizard ? Handle(theWizard->Pictures().tempPic) : nullptr; }
HBITMAP FxPic() { return theWizard ? Handle(theWizard->Pictures().fxPic) : nullptr; }

}  // namespace vistrel::wizard
