#include "effects_page_win.h"

#include "fx_exchange_win.h"
#include "preview_win.h"
#include "shell_state.h"
#include "wizard_res.h"

namespace vistrel::wizard {

void EffectsPage::Prepare() { InitRotScroll(Panel().Control(IDC_ROTSCROLL)); }

bool EffectsPage::StartsWork(int id) const { return id == IDC_PREVIEWCLICK; }

void EffectsPage::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_PREVIEWCLICK:
      if (code == BN_CLICKED) Preview();
      break;
    case IDC_PERCTEXT0:
    case IDC_SCALETEXTX:
    case IDC_SCALETEXTY:
    case IDC_ROTTEXT: {
      if (code != EN_CHANGE) break;
      const EffectsControls controls = Controls();
      const ScaleContext crop = CropScale();
      if (id == IDC_ROTTEXT) {
        RotTextChange(controls);
      } else if (GetFocus() == control) {
        // Only what the user types; the boxes rewrite each other.
        if (id == IDC_PERCTEXT0) PercTextKeyUp(controls, crop);
        if (id == IDC_SCALETEXTX) ScaleTextXKeyUp(controls, crop);
        if (id == IDC_SCALETEXTY) ScaleTextYKeyUp(controls, crop);
      }
      break;
    }
    default:
      break;
  }
}

void EffectsPage::OnScroll(HWND control) {
  if (control == Panel().Control(IDC_ROTSCROLL)) RotScrollChange(Controls());
}

void EffectsPage::ShowUnit(const std::string& name) { Panel().SetText(IDC_SCALETITLE0, name); }

void EffectsPage::UpdateScaleTexts() { UpdateScaleTextsWin(Controls(), CropScale()); }

void EffectsPage::DoFx() {
  WizardPictures& pictures = Pictures();
  const EffectsBoxes boxes = ReadEffectsBoxes(Controls());
  if (!EffectsChanged(boxes)) {
    // No effect to apply: the output is the working picture itself, not a copy.
    pictures.fxPic = pictures.tempPic;
    return;
  }
  UnitScale unit{Host().Scale().twipsPerUnit, TwipsPerPixelX, UserDecimalSeparator()};
  // Empty when TempPic is or the conversion was refused: no stale picture goes out.
  const SharedPicture source = pictures.tempPic;
  DoFxWin(Host().Window(), boxes, unit, Handle(source), pictures.fxPic);
}

void EffectsPage::Preview() {
  print::OpenOutputPreview([this] {
    DoFx();
    return Pictures().fxPic;
  });
}

EffectsControls EffectsPage::Controls() const {
  EffectsControls controls;
  controls.percText = Panel().Control(IDC_PERCTEXT0);
  controls.scaleTextX = Panel().Control(IDC_SCALETEXTX);
  controls.scaleTextY = Panel().Control(IDC_SCALETEXTY);
  controls.rotText = Panel().Control(IDC_ROTTEXT);
  controls.rotScroll = Panel().Control(IDC_ROTSCROLL);
  for (int i = 0; i < 3; ++i) controls.effect[i] = Panel().Control(IDC_EFFECT0 + i);
  return controls;
}

ScaleContext EffectsPage::CropScale() const {
  const TwipsRect& crop = Pictures().cropRect;
  return {static_cast<double>(crop.width), static_cast<double>(crop.height),
          Host().Scale().twipsPerUnit, UserDecimalSeparator()};
}

}  // namespace vistrel::wizard
