#pragma once
// Saving on the real system: files, the clipboard and the conversion
// component, and vistlib's AddToZip/MakeExe.
#include <windows.h>

#include <optional>
#include <string>

#include "save_it.h"

namespace vistrel {

// FileExists: the file can be opened for reading.
bool FileCanBeRead(const std::string& path);

// The zip archive or self-extractor exists and lists an entry of this file name
// (in any folder of the archive, without regard to case).
bool ArchiveListsEntry(const std::string& archive, const std::string& entryName);

// AutoFileName over the real file system.
std::string AutoFileNameWin(const SaveTarget& target);

// Writes a bitmap as a 24-bit .bmp (through a temporary name, renamed into place).
bool WriteBitmapFile(HBITMAP bitmap, const std::string& path);

// SaveIt for the page's "Sa&ve" button and its automatic run. `lastSavedFile`
// is LastSavedFile; on success the result carries the next SaveName.
SaveOutcome SaveItWin(HWND owner, const SaveTarget& target, HBITMAP fxPic,
                      std::string& lastSavedFile);

}  // namespace vistrel
