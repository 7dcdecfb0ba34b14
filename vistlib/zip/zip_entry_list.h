#pragma once
// Reads the local headers of a zip archive (or of the archive behind a
// self-extractor stub) to find damage early. The list itself is not used
// further; the messages are what matter.
#include <cstdint>
#include <string>
#include <vector>

#include "byte_file.h"

namespace vistlib::zip {

struct ZipEntry {
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t modTime = 0;
  uint16_t modDate = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t size = 0;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;
  std::string name;
};

struct EntryListResult {
  std::vector<ZipEntry> entries;
  std::string message;  // empty when the archive read cleanly
};

constexpr int64_t kExeScanStart = 14000;  // a self-extractor stub is at least this long
constexpr int64_t kScanWindow = 60000;    // how far the first header is looked for

// fileName decides where the scan starts (".EXE" files skip the stub).
EntryListResult ReadZipEntries(ByteSource& file, const std::string& fileName);

// Upper-cased ASCII copy.
std::string UpperAscii(std::string text);

}  // namespace vistlib::zip
