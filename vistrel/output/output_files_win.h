#pragma once
// The outputs' files on the real system: whether a file can be read, a bitmap
// written as a .bmp file, whether an archive lists a picture.
#include <windows.h>

#include <string>

namespace vistrel {

// FileExists: the file can be opened for reading.
bool FileCanBeRead(const std::string& path);

// The zip archive or self-extractor exists and lists an entry of this file name
// (in any folder of the archive, without regard to case).
bool ArchiveListsEntry(const std::string& archive, const std::string& entryName);

// Writes a bitmap as a 24-bit .bmp (through a temporary name, renamed into
// place). On failure the system's cause is left as the thread's last error.
bool WriteBitmapFile(HBITMAP bitmap, const std::string& path);

// Writes a bitmap as a png straight from its pixels, a block of rows at a time
// (through a temporary name, renamed into place): the picture is never copied
// whole. On failure the system's cause is left as the thread's last error.
bool WritePngFile(HBITMAP bitmap, const std::string& path);

// The system's error code from writing, beside `target`, a file of our own as
// large as `source` (removed again); 0 when that works.
DWORD WriteProbeError(const std::string& target, const std::string& source);

// The system's own description of an error code, in the user's language.
std::string SystemMessageText(DWORD code);

}  // namespace vistrel
