#pragma once
// What every page of the wizard is made of: its panel, what it may reach of
// the wizard around it, and the base its small class derives from. A page
// holds its own commands and the work they start; the wizard window keeps the
// frame, the walk and the values it moves between the store and the pages.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "output_settings.h"
#include "picture_win.h"
#include "scale_system.h"
#include "twips_rect.h"
#include "window_text_win.h"

namespace vistrel::wizard {

// The capture, the part of it the walk works on, and the output picture. They
// are often one and the same; whoever works on one keeps its own reference.
struct WizardPictures {
  TwipsRect cropRect;
  SharedPicture wholePic;
  SharedPicture tempPic;
  SharedPicture fxPic;
};

// Width and height of a bitmap; 0 x 0 for none.
inline SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return {0, 0};
  return {info.bmWidth, std::abs(info.bmHeight)};
}

// One page's child dialog and its controls by id.
class PagePanel {
 public:
  PagePanel() = default;
  explicit PagePanel(HWND panel) : panel_(panel) {}

  HWND Window() const { return panel_; }
  HWND Control(int id) const { return GetDlgItem(panel_, id); }
  bool Checked(int id) const { return IsDlgButtonChecked(panel_, id) == BST_CHECKED; }
  void SetChecked(int id, bool on) const {
    CheckDlgButton(panel_, id, on ? BST_CHECKED : BST_UNCHECKED);
  }
  void Enable(int id, bool on) const { EnableWindow(Control(id), on); }
  std::string Text(int id) const { return WindowText(Control(id)); }
  void SetText(int id, const std::string& text) const { SetDlgItemTextA(panel_, id, text.c_str()); }

 private:
  HWND panel_ = nullptr;
};

// What a page may reach of the wizard: the window its dialogs and messages
// belong to, the pictures, the unit, the remembered values.
class PageHost {
 public:
  virtual HWND Window() const = 0;
  virtual WizardPictures& Pictures() = 0;
  virtual const ScaleSystem& Scale() const = 0;
  // Reads the stored unit again (the effects page shows its name).
  virtual void LoadScaleSystem() = 0;
  virtual OutputSettings& Settings() = 0;
  virtual void Message(const std::string& text, UINT icon) = 0;
  // Brings the wizard back to the front after a window that was over it.
  virtual void Show() = 0;

 protected:
  ~PageHost() = default;
};

class WizardPage {
 public:
  WizardPage(int page, PageHost& host) : page_(page), host_(host) {}
  virtual ~WizardPage() = default;
  WizardPage(const WizardPage&) = delete;
  WizardPage& operator=(const WizardPage&) = delete;

  // The page's number in the walk: the panel it is attached to.
  int Page() const { return page_; }
  // Once the panel exists: the controls get their ranges and first values.
  void Attach(HWND panel) {
    panel_ = PagePanel(panel);
    Prepare();
  }

  // True when a click on `id` lets events run or opens a window over the
  // wizard: the wizard refuses it while other work runs.
  virtual bool StartsWork(int id) const = 0;
  virtual void OnCommand(int id, int code, HWND control) = 0;
  virtual void OnScroll(HWND) {}

 protected:
  virtual void Prepare() {}
  const PagePanel& Panel() const { return panel_; }
  PageHost& Host() const { return host_; }
  WizardPictures& Pictures() const { return host_.Pictures(); }

 private:
  const int page_;
  PageHost& host_;
  PagePanel panel_;
};

}  // namespace vistrel::wizard
