#pragma once
// Saving on the real system: files, the clipboard and the conversion
// component, and vistlib's AddToZip/MakeExe.
#include <windows.h>

#include <optional>
#include <string>

#include "output_files_win.h"
#include "save_it.h"

namespace vistrel {

// AutoFileName over the real file system.
std::string AutoFileNameWin(const SaveTarget& target);

// SaveIt for the page's "Sa&ve" button and its automatic run. `lastSavedFile`
// is LastSavedFile; on success the result carries the next SaveName.
SaveOutcome SaveItWin(HWND owner, const SaveTarget& target, HBITMAP fxPic,
                      std::string& lastSavedFile);

}  // namespace vistrel
