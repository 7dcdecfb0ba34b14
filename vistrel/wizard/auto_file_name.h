#pragma once
// The save page's file naming: the format list and the automatic name that
// never overwrites an earlier picture.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "format_extension.h"

namespace vistrel {

// The FileFormat entries, in list order; the extension is the first three letters.
inline constexpr std::array<const char*, 6> kFileFormats = {
    "bmp-Windows Bitmap", "jpg-JEPG File",     "tif-Tagged Image",
    "png-Format",         "pcx-PC PaintBrush", "dcx-DCX File Format"};

// What the save page's controls say about the next file.
struct SaveTarget {
  std::string folder;            // Dirlist path, e.g. "C:\Pics" or "C:\"
  std::string baseName = "Vistrel";  // VistrelName
  std::string formatEntry = kFileFormats[0];  // FileFormat text
  bool compressSave = false;     // CompressSave
  bool compileZipSave = false;   // CompileZipSave
  // The save page is passed through unseen: nobody looks at the clipboard
  // between the pages, so a png may be written straight from the picture.
  bool straightToFile = false;
};

using FileExistsFn = std::function<bool(const std::string& path)>;

// Folder, backslash (none after a drive root) and base name.
std::string SaveBase(const SaveTarget& target);

// The full path the next save will use: the fixed archive name in archive
// mode, otherwise the first free name of base.ext, base1.ext, base2.ext, ...
std::string AutoFileName(const SaveTarget& target, const FileExistsFn& fileExists);

// True when the path ends in "zip" or "exe" (any case).
bool IsArchivePath(std::string_view path);

}  // namespace vistrel
