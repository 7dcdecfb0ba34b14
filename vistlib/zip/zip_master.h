#pragma once
// TZipMaster: the library's zip component. It packs files into archives
// through the packer ZIPDLL.DLL, loaded for each run, and turns archives into
// self-extracting executables with the stub ZIPSFX.BIN.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zip_entry_list.h"
#include "zip_param_block.h"
#include "zip_settings.h"
#include "zip_system.h"

namespace vistlib::zip {

class TZipMaster {
 public:
  TZipMaster(ZipSystem& system, void* ownerWindow);
  TZipMaster(const TZipMaster&) = delete;
  TZipMaster& operator=(const TZipMaster&) = delete;

  ZipSettings Settings;
  std::vector<std::string> FSpecArgs;

  // Handlers for the packer's reports; this program sets none.
  std::function<void(int32_t action, const std::string& name, int64_t size)> OnProgress;
  std::function<void(int32_t errorCode, const std::string& text)> OnMessage;

  const std::string& ZipFilename() const { return zipFilename_; }
  // Reads the archive's entry list when the file exists.
  void SetZipFilename(const std::string& path);
  const std::string& DLLDirectory() const { return dllDirectory_; }
  void SetDLLDirectory(std::string folder);
  const std::string& SFXPath() const { return sfxPath_; }
  int32_t SuccessCnt() const { return successCnt_; }
  bool Busy() const { return busy_; }
  void SetCancel(bool cancel) { cancel_ = cancel; }
  const std::vector<ZipEntry>& ZipContents() const { return entries_; }
  void* OwnerWindow() const { return ownerWindow_; }

  // Packs FSpecArgs into ZipFilename.
  void Add();
  // Turns ZipFilename into a self-extracting executable beside it.
  void ConvertSFX();

  // The callback handed to the packer in the parameter block.
  static int32_t ZIPDLL_CALL Callback(CallbackRecord* record);

 private:
  void ReadEntryList();
  bool WriteExecutable(const std::string& stubPath, const std::string& outputPath);
  bool CopyInBlocks(ByteSource& from, ByteSink& to);

  ZipSystem& system_;
  void* ownerWindow_;
  std::string zipFilename_;
  std::string dllDirectory_;
  std::string sfxPath_;
  int32_t successCnt_ = 0;
  bool busy_ = false;
  bool cancel_ = false;
  std::vector<ZipEntry> entries_;
};

// The two exports' behaviour on a component.
void AddToZip(TZipMaster& zip, const std::string& spec, const std::string& archive);
void MakeExe(TZipMaster& zip, const std::string& archive);

}  // namespace vistlib::zip
