#pragma once
// The warning shown at start-up on a 32-bit display, and the stored answer
// that switches it off until the colour count changes.
#include <string>

#include "settings_store.h"

namespace vistrel {

// 2 ^ bits per pixel x planes.
double ColorCount(int bitsPerPixel, int planes);
// "High Color (16bit)", "True Color (32bit)" or e.g. "256 color".
std::string ColorText(double colorCount);
std::string ColorWarningMessage(double colorCount, const std::string& title);

enum class WarningAnswer { Yes, No, Cancel };

// Re-arms the stored switch when the colour count changed and tells whether
// the warning is to be shown now.
bool PrepareColorWarning(SettingsStore& store, double colorCount);

// Applies the answer; true when the program is to end (command line
// "SafeColor", or Cancel).
bool AnswerColorWarning(SettingsStore& store, double colorCount, WarningAnswer answer,
                        bool safeColor);

}  // namespace vistrel
