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

// Writes a bitmap as a 24-bit .bmp (through a temporary name, renamed into place).
bool WriteBitmapFile(HBITMAP bitmap, const std::string& path);

}  // namespace vistrel
