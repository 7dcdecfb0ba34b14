#pragma once
// The effects page's boxes on the real controls: read them for DoFx and keep
// them in step as the user types (call these from the page's handlers).
#include <windows.h>

#include "effects_command.h"
#include "scale_texts.h"

namespace vistrel {

struct EffectsControls {
  HWND percText = nullptr;    // PercText(0)
  HWND scaleTextX = nullptr;  // ScaleTextX
  HWND scaleTextY = nullptr;  // ScaleTextY
  HWND rotText = nullptr;     // RotText
  HWND rotScroll = nullptr;   // rotScroll (up-down control, range -180..180)
  HWND effect[3] = {};        // Effect(0..2) check boxes
};

// Gives the spin bar its range.
void InitRotScroll(HWND rotScroll);

EffectsBoxes ReadEffectsBoxes(const EffectsControls& controls);

void UpdateScaleTextsWin(const EffectsControls& controls, const ScaleContext& crop);
void PercTextKeyUp(const EffectsControls& controls, const ScaleContext& crop);
void ScaleTextXKeyUp(const EffectsControls& controls, const ScaleContext& crop);
void ScaleTextYKeyUp(const EffectsControls& controls, const ScaleContext& crop);
// rotScroll changed (UDN_DELTAPOS / WM_VSCROLL handled, value already set).
void RotScrollChange(const EffectsControls& controls);
// RotText changed (EN_CHANGE); ignores the change it makes itself.
void RotTextChange(const EffectsControls& controls);

}  // namespace vistrel
