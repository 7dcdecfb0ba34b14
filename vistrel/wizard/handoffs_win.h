#pragma once
// The wizard's hand-offs on the real system: the clipboard, vistlib's viewer,
// the shell and the explorer. The wizard window calls these from its buttons
// and from the walk's automatic runs.
#include <windows.h>

#include <string>

namespace vistrel::wizard {

// Empties the clipboard and puts FxPic on it as a DIB, a version-5 DIB and a
// PNG. The button also confirms; an empty picture, a clipboard that another
// program keeps or a picture too large for the memory left are reported
// either way, since nothing was copied.
void CopyToClipboard(HWND owner, HBITMAP fxPic, bool fromButton);

// vistlib's clipboard viewer; returns when the user closes it.
void ViewClipboard();

// OpenLastSaved and its button (see handoffs.h).
void OpenLastSavedWin(HWND owner, const std::string& lastSavedFile);
void OpenLastSavedButtonWin(HWND owner, std::string& lastSavedFile,
                            const std::string& autoFileName);

// The explorer on the save page's folder.
void ShowExplorerWin(HWND owner, const std::string& folder);

}  // namespace vistrel::wizard
