#include "archive_entries.h"

#include "zip_entry_list.h"

namespace vistrel {

bool ArchiveListsEntry(vistlib::zip::ByteSource& archive, const std::string& archivePath,
                       const std::string& entryName) {
  const vistlib::zip::EntryListResult list = vistlib::zip::ReadZipEntries(archive, archivePath);
  const std::string wanted = vistlib::zip::UpperAscii(entryName);
  for (const vistlib::zip::ZipEntry& entry : list.entries) {
    std::string name = vistlib::zip::UpperAscii(entry.name);
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    if (name == wanted) return true;
  }
  return false;
}

}  // namespace vistrel
