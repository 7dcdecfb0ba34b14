#include "effects_page_boxes_win.h"

#include <commctrl.h>

#include "fx_exchange_win.h"
#include "window_text_win.h"

namespace vistrel {

namespace {

// Set by our own rewrites, so that the change they cause is not handled again.
bool rewriting = false;

void SetText(HWND control, const std::string& text) {
  if (!control || WindowText(control) == text) return;
  rewriting = true;
  SetWindowTextA(control, text.c_str());
  rewriting = false;
}

bool Checked(HWND box) { return box && SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Show(const EffectsControls& controls, const ScaleTexts& texts) {
  SetText(controls.percText, texts.percText);
  SetText(controls.scaleTextX, texts.scaleTextX);
  SetText(controls.scaleTextY, texts.scaleTextY);
}

}  // namespace

void InitRotScroll(HWND rotScroll) {
  SendMessageA(rotScroll, UDM_SETRANGE32, static_cast<WPARAM>(kRotScrollMin), kRotScrollMax);
}

EffectsBoxes ReadEffectsBoxes(const EffectsControls& controls) {
  EffectsBoxes boxes;
  boxes.percText = WindowText(controls.percText);
  boxes.scaleTextX = WindowText(controls.scaleTextX);
  boxes.rotText = WindowText(controls.rotText);
  boxes.verticalMirror = Checked(controls.effect[0]);
  boxes.horizontalMirror = Checked(controls.effect[1]);
  boxes.invert = Checked(controls.effect[2]);
  return boxes;
}

void UpdateScaleTextsWin(const EffectsControls& controls, const ScaleContext& crop) {
  Show(controls, UpdateScaleTexts(WindowText(controls.percText), crop));
}

void PercTextKeyUp(const EffectsControls& controls, const ScaleContext& crop) {
  UpdateScaleTextsWin(controls, crop);
}

void ScaleTextXKeyUp(const EffectsControls& controls, const ScaleContext& crop) {
  if (auto texts = ScaleTextXKeyUp(WindowText(controls.scaleTextX), crop)) Show(controls, *texts);
}

void ScaleTextYKeyUp(const EffectsControls& controls, const ScaleContext& crop) {
  if (auto texts = ScaleTextYKeyUp(WindowText(controls.scaleTextY), crop)) Show(controls, *texts);
}

void RotScrollChange(const EffectsControls& controls) {
  // The bar keeps its own position (it has no buddy box), so the value is always current.
  LRESULT value = SendMessageA(controls.rotScroll, UDM_GETPOS32, 0, 0);
  SetText(controls.rotText, RotScrollText(static_cast<int>(value)));
}

void RotTextChange(const EffectsControls& controls) {
  if (rewriting) return;
  RotTextRewrite change = RotTextChanged(WindowText(controls.rotText), UserDecimalSeparator());
  if (WindowText(controls.rotText) != change.text) {
    SetText(controls.rotText, change.text);
    // Typing goes on at the end of the rewritten text.
    SendMessageA(controls.rotText, EM_SETSEL, change.text.size(), change.text.size());
  }
  if (change.scrollValue && controls.rotScroll) {
    SendMessageA(controls.rotScroll, UDM_SETPOS32, 0, *change.scrollValue);
  }
}

}  // namespace vistrel
