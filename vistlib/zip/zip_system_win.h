#pragma once
#include <windows.h>

#include "zip_system.h"

namespace vistlib::zip {

// The zip component's view of Windows.
class WinZipSystem : public ZipSystem {
 public:
  explicit WinZipSystem(HWND owner) : owner_(owner) {}

  void ShowMessage(const std::string& text) override;
  bool FileExists(const std::string& path) override;
  int64_t FileSize(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenRead(const std::string& path) override;
  std::unique_ptr<ByteSink> Create(const std::string& path) override;
  bool Delete(const std::string& path) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
  std::unique_ptr<PackerModule> LoadPacker(const std::string& path) override;
  std::string CurrentDirectory() override;
  unsigned long ProcessId() override { return GetCurrentProcessId(); }
  std::string HostProgramDirectory() override;
  std::string SystemDirectory() override;
  std::string WindowsDirectory() override;
  void ShowHourglass() override;
  void RestoreCursor() override;
  void ProcessMessages() override;

 private:
  HWND owner_;
};

}  // namespace vistlib::zip
