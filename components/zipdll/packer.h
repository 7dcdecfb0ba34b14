#pragma once
// The packer behind ZIPDLL.DLL: adds files to a zip archive with libzip.
// libzip writes the new archive beside the old one and renames it into place
// only when everything went well, so a failed run leaves the old archive as
// it was.
#include <zip.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "zip_param_block.h"

namespace zipdll {

struct PackRequest {
  std::vector<std::string> specs;
  std::string archive;
  std::string password;
  int level = 9;
  bool junkDirNames = true;
  bool recurse = false;
  bool grow = true;
  bool move = false;
  bool update = false;
  bool freshen = false;
  bool systemFiles = false;
  bool noDirEntries = true;
  bool forceDos = false;
  bool latestTime = false;
  bool encrypt = false;
  bool verbose = false;
};

// What a block asks for; nothing when it is not a block we understand.
std::optional<PackRequest> DecodeBlock(const vistlib::zip::ParamBlock& block);

struct DirItem {
  std::string name;
  bool directory = false;
  bool hidden = false;
  bool system = false;
  uint64_t size = 0;
  std::time_t modified = 0;
};

// The file system as the packer sees it.
class PackerFileSystem {
 public:
  virtual ~PackerFileSystem() = default;
  // The items of a folder ("" is the current folder); nothing when the
  // folder cannot be listed.
  virtual std::optional<std::vector<DirItem>> List(const std::string& folder) = 0;
  virtual bool Remove(const std::string& path) = 0;
  virtual bool SetModified(const std::string& path, std::time_t when) = 0;
  // A libzip source on the archive file that supports writing; nullptr on
  // failure with `error` set.
  virtual zip_source_t* ArchiveSource(const std::string& path, zip_error_t* error) = 0;
  // The archive is packed under a working name of ours and replaces the
  // archive when whole: a run that dies leaves a file the next start knows.
  virtual std::string WorkingName(const std::string& archive) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool Copy(const std::string& from, const std::string& to) = 0;
  virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
};

// Where the packer reports; any call may ask it to stop by returning false.
class PackerReport {
 public:
  virtual ~PackerReport() = default;
  virtual bool Start(const std::string& name, uint64_t size) = 0;
  virtual bool Progress(uint64_t bytes) = 0;
  virtual bool End() = 0;
  virtual bool Message(int32_t errorCode, const std::string& text) = 0;
};

// Adds what the request names; returns the number of files added (0 when
// the run failed, in which case the archive is unchanged).
int32_t RunPacker(const PackRequest& request, PackerFileSystem& fs, PackerReport& report);

// Case-insensitive match with * and ?, as Windows matches file names.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// A path turned into an 8.3 name, each part upper-cased.
std::string DosName(const std::string& entryName);

}  // namespace zipdll
