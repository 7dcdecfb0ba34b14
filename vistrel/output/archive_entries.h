#pragma once
// Whether a zip archive (or a self-extractor) lists a file, read with the
// capture library's own entry reader: the packer reports its failures only to a
// handler the program does not set, so the save looks for itself.
#include <string>

#include "byte_file.h"

namespace vistrel {

// True when an entry of the archive has this file name (in any folder of the
// archive, without regard to case). `archivePath` decides whether a
// self-extractor stub is skipped.
bool ArchiveListsEntry(vistlib::zip::ByteSource& archive, const std::string& archivePath,
                       const std::string& entryName);

}  // namespace vistrel
