#pragma once
// The wizard window's class, shared by the files that make it up: the window,
// its messages and the walk (wizard_win.cpp), each page's commands
// (wizard_page_commands_win.cpp), the work the pages' buttons and the walk's
// steps start (wizard_page_work_win.cpp), and the settings moved
// between the store and the controls (wizard_fields_win.cpp). Nothing outside
// the wizard includes it; the rest of the program uses wizard_win.h.
#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "auto_file_name.h"
#include "effects_page_boxes_win.h"
#include "output_settings.h"
#include "picture_win.h"
#include "preview_win.h"
#include "printer_choice_win.h"
#include "program_settings_win.h"
#include "save_page_lists_win.h"
#include "scale_system.h"
#include "window_text_win.h"
#include "wizard_res.h"
#include "wizard_walk.h"
#include "wizard_win.h"

namespace vistrel::wizard {

// The page that holds each "Auto click" box.
inline constexpr std::array<int, kAutomateCount> kAutomatePage = {
    kCropPage,      kSavePage,      kPrintPage,   kSavePage, kSavePage,
    kClipboardPage, kClipboardPage, kEffectsPage, kMailPage};

// Width and height of a bitmap; 0 x 0 for none.
SIZE BitmapSize(HBITMAP bitmap);

class Wizard final : public WalkHost, public SettingsControls {
 public:
  explicit Wizard(const ShellHooks& hooks) : hooks_(hooks) {
    if (!hooks_.hideOutputPreview) hooks_.hideOutputPreview = print::HideOutputPreview;
  }
  ~Wizard() override;

  bool Create(HINSTANCE instance);
  HWND Window() const { return window_; }
  HWND Page(int page) const { return pages_[page]; }

  // Shell entry points.
  void OpenWizard();
  void Show();
  void CloseWizard();
  void ShowSelection();
  void SetCropStyle(int style);
  int CropStyle() const;
  bool LoadWholePicFromClipboard();
  void ResetCurrentPage() { walk_.SetCurrentPage(kWelcomePage); }

  TwipsRect cropRect;
  // The capture, the part of it the walk works on, and the output picture. They
  // are often one and the same; whoever works on one keeps its own reference.
  SharedPicture wholePic;
  SharedPicture tempPic;
  SharedPicture fxPic;

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
  HWND Control(int page, int id) const { return GetDlgItem(pages_[page], id); }
  bool Checked(int page, int id) const {
    return IsDlgButtonChecked(pages_[page], id) == BST_CHECKED;
  }
  void SetChecked(int page, int id, bool on) {
    CheckDlgButton(pages_[page], id, on ? BST_CHECKED : BST_UNCHECKED);
  }
  void Enable(int page, int id, bool on) { EnableWindow(Control(page, id), on); }
  void Message(const std::string& text, UINT icon = 0);
  // The effects page's boxes, and the save target the save page shows.
  EffectsControls EffectsPageControls() const;
  ScaleContext CropScale() const;
  SaveTarget CurrentSaveTarget() const;
  void Move(Direction direction);
  void MoveWhenFree(Direction direction);
  // Hands a command to its page (wizard_page_commands_win.cpp).
  void OnCommand(int page, int id, int code, HWND control);
  void OnCropPageCommand(int id, int code, HWND control);
  void OnEffectsPageCommand(int id, int code, HWND control);
  void OnSavePageCommand(int id, int code, HWND control);
  void OnClipboardPageCommand(int id, int code, HWND control);
  void OnMailPageCommand(int id, int code, HWND control);
  void OnPrintPageCommand(int id, int code, HWND control);
  void OnUseCropOrEdit(bool editor);
  void OnSelectArea();
  void OnCopiesChange();
  void RefreshSaveName();
  void PrepareCrop();
  void DoFx();
  void EditCapture();
  void Save();
  void Print();
  void Preview();
  void MailIt();
  void DrawLogo(const DRAWITEMSTRUCT& item);
  void MakeTitleFont();
  void UpdateScaleTexts();

  ShellHooks hooks_;
  HWND window_ = nullptr;
  std::array<HWND, kPageCount> pages_{};
  HFONT titleFont_ = nullptr;
  int dpi_ = 96;  // what the frame and pages are laid out for
  HBITMAP logo_ = nullptr;
  int shownPage_ = 0;
  bool frameVisible_ = true;
  bool moving_ = false;
  bool moveWaiting_ = false;  // a Back or Next click waits for running work
  ScaleSystem scale_;
  PrinterChoice printer_;
  WizardWalk walk_{*this};
  OutputSettings settings_{ProgramSettings(), *this};
  DriveFolderLists lists_;
  std::string lastSavedFile_;
};

}  // namespace vistrel::wizard
