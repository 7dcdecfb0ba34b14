#pragma once
// The crop page: the editor or the area, the area's style and the selection
// it shows, and the work on the working picture that arrival at the effects
// page starts.
#include "wizard_page_win.h"
#include "wizard_walk.h"
#include "wizard_win.h"

namespace vistrel::wizard {

class CropPage final : public WizardPage {
 public:
  CropPage(PageHost& host, const ShellHooks& hooks) : WizardPage(kCropPage, host), hooks_(hooks) {}

  bool StartsWork(int id) const override;
  void OnCommand(int id, int code, HWND control) override;

  bool UsesEditor() const;
  // The option pair and the controls that belong to the chosen one.
  void UseCropOrEdit(bool editor);
  // The chosen style (0 active window, 1 full screen, 2 selected area, 3 the
  // pointer's monitor), -1 for none.
  int CropStyle() const;
  // Chooses `style` as its click would; other values are ignored.
  void SetCropStyle(int style);
  // The size of the chosen style's rectangle in the stored unit.
  void ShowSelection();

  // The editor on the working picture; its result replaces the picture.
  void EditCapture();
  // The working picture becomes the chosen part of the capture. True when
  // the crop rectangle was set (the effects page's sizes follow it).
  bool PrepareCrop();

 private:
  void Prepare() override;
  void SelectArea();

  const ShellHooks& hooks_;
};

}  // namespace vistrel::wizard
