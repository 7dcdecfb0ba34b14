#include "effects_page_boxes_win.h"

#include <commctrl.h>

#include "fx_exchange_win.h"

namespace vistrel {

namespace {

std::string Text(HWND control) {
  if (!control) return "";
  int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

// Set by our own rewrites, so that the change they cause is not handled again.
bool rewriting = false;

void SetText(HWND control, const std::string& text) {
  if (!control || Text(control) == text) return;
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
  boxes.percText = Text(controls.percText);
  boxes.scaleTextX = Text(controls.scaleTextX);
  boxes.rotText = Text(controls.rotText);
  boxes.verticalMirror = Checked(controls.effect[0]);
  boxes.horizontalMirror = Checked(controls.effect[1]);
  boxes.invert = Checked(controls.effect[2]);
  return boxes;
}

void UpdateScaleTextsWin(const EffectsControls& controls, const ScaleContext& crop) {
  Show(controls, UpdateScaleTexts(Text(controls.percText), crop));
}

void PercTextKeyUp(const EffectsControls& controls, const ScaleContext& crop) {
  UpdateScaleTextsWin(controls, crop);
}

void ScaleTextXKeyUp(const EffectsControls& controls, const ScaleContext& crop) {
  if (auto texts = ScaleTextXKeyUp(Text(controls.scaleTextX), crop)) Show(controls, *texts);
}

void ScaleTextYKeyUp(const EffectsControls& controls, const ScaleContext& crop) {
  if (auto texts = ScaleTextYKeyUp(Text(controls.scaleTextY), crop)) Show(controls, *texts);
}

void RotScrollChange(const EffectsControls& controls) {
  // The bar keeps its own position (it has no buddy box), so the value is always current.
  LRESULT value = SendMessageA(controls.rotScroll, UDM_GETPOS32, 0, 0);
  SetText(controls.rotText, RotScrollText(static_cast<int>(value)));
}

void RotTextChange(const EffectsControls& controls) {
  if (rewriting) return;
  RotTextRewrite change = RotTextChanged(Text(controls.rotText), UserDecimalSeparator());
  if (Text(controls.rotText) != change.text) {
    SetText(controls.rotText, change.text);
    // Typing goes on at the end of the rewritten text.
    SendMessageA(controls.rotText, EM_SETSEL, change.text.size(), change.text.size());
  }
  if (change.scrollValue && controls.rotScroll) {
    SendMessageA(controls.rotScroll, UDM_SETPOS32, 0, *change.scrollValue);
  }
}

}  // namespace vistrel
