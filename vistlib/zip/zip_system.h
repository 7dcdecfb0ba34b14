#pragma once
// What the zip component needs from the operating system. The library
// implements it with Win32 calls; tests implement it in memory.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "byte_file.h"
#include "zip_param_block.h"

namespace vistlib::zip {

// A loaded packer library; unloaded when destroyed.
class PackerModule {
 public:
  virtual ~PackerModule() = default;
  virtual bool HasExec() const = 0;
  virtual bool HasVersion() const = 0;
  // The packer's result, or nothing when the call faulted.
  virtual std::optional<int32_t> Exec(ParamBlock* block) = 0;
};

class ZipSystem {
 public:
  virtual ~ZipSystem() = default;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual int64_t FileSize(const std::string& path) = 0;  // -1 when it cannot be read
  // Opened for reading, others may read too; nullptr on failure.
  virtual std::unique_ptr<ByteSource> OpenRead(const std::string& path) = 0;
  // Created (or truncated) for writing; nullptr on failure.
  virtual std::unique_ptr<ByteSink> Create(const std::string& path) = 0;
  virtual bool Delete(const std::string& path) = 0;
  // Renames `from` to `to`, replacing an existing `to` in one step.
  virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
  // Loads the packer by path or plain name with system error boxes
  // suppressed; nullptr when it cannot be loaded.
  virtual std::unique_ptr<PackerModule> LoadPacker(const std::string& path) = 0;
  virtual std::string CurrentDirectory() = 0;
  // The running process's id: it names the files we write before renaming them.
  virtual unsigned long ProcessId() = 0;
  virtual std::string HostProgramDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  virtual std::string WindowsDirectory() = 0;
  virtual void ShowHourglass() = 0;
  virtual void RestoreCursor() = 0;
  // Lets pending window messages run.
  virtual void ProcessMessages() = 0;
};

}  // namespace vistlib::zip
