#pragma once
#include "packer.h"

namespace zipdll {

// Files, folders and the archive through the ANSI Win32 API.
class WinPackerFileSystem : public PackerFileSystem {
 public:
  std::optional<std::vector<DirItem>> List(const std::string& folder) override;
  bool Remove(const std::string& path) override;
  bool SetModified(const std::string& path, std::time_t when) override;
  zip_source_t* ArchiveSource(const std::string& path, zip_error_t* error) override;
  std::string WorkingName(const std::string& archive) override;
  bool Exists(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
};

}  // namespace zipdll
