#pragma once
// The wizard window's class, shared by the files that make it up: the window,
// its messages and the walk (wizard_win.cpp), and the settings moved between
// the store and the controls (wizard_fields_win.cpp). Each page's commands and
// the work they start are in that page's own class (crop_page_win.cpp, ...).
// Nothing outside the wizard includes it; the rest of the program uses
// wizard_win.h.
#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "clipboard_page_win.h"
#include "crop_page_win.h"
#include "effects_page_win.h"
#include "mail_page_win.h"
#include "output_settings.h"
#include "print_page_win.h"
#include "program_settings_win.h"
#include "save_page_win.h"
#include "scale_system.h"
#include "wizard_page_win.h"
#include "wizard_res.h"
#include "wizard_walk.h"
#include "wizard_win.h"

namespace vistrel::wizard {

// The page that holds each "Auto click" box.
inline constexpr std::array<int, kAutomateCount> kAutomatePage = {
    kCropPage,      kSavePage,      kPrintPage,   kSavePage, kSavePage,
    kClipboardPage, kClipboardPage, kEffectsPage, kMailPage};

class Wizard final : public WalkHost, public SettingsControls, private PageHost {
 public:
  explicit Wizard(const ShellHooks& hooks);
  ~Wizard() override;

  bool Create(HINSTANCE instance);
  HWND Window() const override { return window_; }
  WizardPictures& Pictures() override { return pictures_; }

  // Shell entry points.
  void OpenWizard();
  void Show() override;
  void CloseWizard();
  void ShowSelection() override { crop_.ShowSelection(); }
  void SetCropStyle(int style) { crop_.SetCropStyle(style); }
  int CropStyle() const { return crop_.CropStyle(); }
  void ReleasePictures();
  bool TakeCapture(HBITMAP picture);
  void ResetCurrentPage() { walk_.SetCurrentPage(kWelcomePage); }

  // WalkHost
  bool NotShow(int page) const override;
  bool Automate(int index) const override;
  bool EndAfterShot() const override;
  void Run(WalkAction action) override;
  void HideFrameAndLogo() override;
  void ShowFrameAndLogo() override;
  void SetButtons(bool backEnabled, bool closeVisible, std::string_view nextCaption) override;
  void SetTitle(std::string_view title) override;
  void LoadLogo(int page) override;
  void ShowPage(int page) override;

  // SettingsControls
  std::string Value(Field field, int index) const override;
  bool Apply(Field field, int index, std::string_view text) override;
  void AddRecipient(std::string_view address) override;
  std::string CurrentDirectory() const override;
  void ApplyAreaChoice(int wahl) override;
  void UpdateCompressOptions() override;
  void LoadScaleSystem() override;
  void StartWalk() override;
  void RefreshUnits();
  // The box only: its click handler would store the wizard's settings.
  void SetNotShow(int page, bool on) { SetChecked(page, IDC_NOTSHOW, on); }

  INT_PTR WindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR PageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // PageHost
  const ScaleSystem& Scale() const override { return scale_; }
  OutputSettings& Settings() override { return settings_; }
  void Message(const std::string& text, UINT icon) override;

  PagePanel Panel(int page) const { return PagePanel(pages_[page]); }
  HWND Control(int page, int id) const { return Panel(page).Control(id); }
  bool Checked(int page, int id) const { return Panel(page).Checked(id); }
  void SetChecked(int page, int id, bool on) { Panel(page).SetChecked(id, on); }
  void Move(Direction direction);
  void MoveWhenFree(Direction direction);
  // Hands a command to its page's object.
  void OnCommand(int page, int id, int code, HWND control);
  void DrawLogo(const DRAWITEMSTRUCT& item);
  void MakeTitleFont();
  // Reads the logo LoadLogo asked for, if it has not been read yet.
  void ReadLogo();

  ShellHooks hooks_;
  HWND window_ = nullptr;
  std::array<HWND, kPageCount> pages_{};
  HFONT titleFont_ = nullptr;
  int dpi_ = 96;  // what the frame and pages are laid out for
  HBITMAP logo_ = nullptr;
  int logoPage_ = -1;  // the page whose logo is to be read
  int shownPage_ = 0;
  bool frameVisible_ = true;
  bool moveWaiting_ = false;  // a Back or Next click waits for running work
  WizardPictures pictures_;
  ScaleSystem scale_;
  WizardWalk walk_{*this};
  OutputSettings settings_{ProgramSettings(), *this};
  CropPage crop_{*this, hooks_};
  EffectsPage effects_{*this};
  SavePage save_{*this};
  ClipboardPage clipboard_{*this};
  MailPage mail_{*this, save_, hooks_};
  PrintPage print_{*this};
  // Each page's object by the page's number; the welcome page has no commands.
  std::array<WizardPage*, kPageCount> pageObjects_{};
};

}  // namespace vistrel::wizard
