#pragma once
// The effects page: scale, rotation and mirroring boxes kept in step as the
// user types, the effects applied to the working picture, and the preview.
#include "effects_page_boxes_win.h"
#include "wizard_page_win.h"
#include "wizard_walk.h"

namespace vistrel::wizard {

class EffectsPage final : public WizardPage {
 public:
  explicit EffectsPage(PageHost& host) : WizardPage(kEffectsPage, host) {}

  bool StartsWork(int id) const override;
  void OnCommand(int id, int code, HWND control) override;
  void OnScroll(HWND control) override;

  // The unit's name beside the size boxes.
  void ShowUnit(const std::string& name);
  // The size boxes follow the crop rectangle.
  void UpdateScaleTexts();
  // The output picture: the working picture with the page's effects.
  void DoFx();
  // The output preview, the effects applied first.
  void Preview();

 private:
  void Prepare() override;
  EffectsControls Controls() const;
  ScaleContext CropScale() const;
};

}  // namespace vistrel::wizard
