// ZIPDLL.DLL's two exports.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "packer.h"
#include "packer_file_system_win.h"

namespace zipdll {
namespace {

constexpr int32_t kVersion = 140;

using vistlib::zip::CallbackRecord;
using vistlib::zip::ParamBlock;

// Hands the packer's reports to the caller's callback.
class CallbackReport : public PackerReport {
 public:
  explicit CallbackReport(const ParamBlock& block) : block_(block) {}

  bool Start(const std::string& name, uint64_t size) override {
    return Send(vistlib::zip::kActionStart, 0, Clamp(size), name);
  }
  bool Progress(uint64_t bytes) override {
    return Send(vistlib::zip::kActionProgress, 0, Clamp(bytes), "");
  }
  bool End() override { return Send(vistlib::zip::kActionEnd, 0, 0, ""); }
  bool Message(int32_t errorCode, const std::string& text) override {
    return Send(vistlib::zip::kActionMessage, errorCode, 0, text + "\r\n");
  }

 private:
  static int32_t Clamp(uint64_t value) {
    return static_cast<int32_t>(std::min<uint64_t>(value, 0x7FFFFFFF));
  }

  bool Send(int32_t action, int32_t errorCode, int32_t size, const std::string& text) {
    if (block_.callback == nullptr) return true;
    CallbackRecord record{};
    record.handle = block_.handle;
    record.caller = block_.caller;
    record.version = block_.version;
    record.actionCode = action;
    record.errorCode = errorCode;
    record.fileSize = size;
    const std::size_t n = std::min(text.size(), sizeof record.text - 1);
    std::memcpy(record.text, text.data(), n);
    return block_.callback(&record) != -1;
  }

  const ParamBlock& block_;
};

}  // namespace
}  // namespace zipdll

extern "C" {

int32_t __stdcall ZipDllExec(vistlib::zip::ParamBlock* block) {
  if (block == nullptr) return 0;
  try {
    const std::optional<zipdll::PackRequest> request = zipdll::DecodeBlock(*block);
    if (!request) return 0;
    zipdll::WinPackerFileSystem fs;
    zipdll::CallbackReport report(*block);
    return zipdll::RunPacker(*request, fs, report);
  } catch (...) {
    return 0;
  }
}

int32_t __stdcall GetZipDllVersion() { return zipdll::kVersion; }
}
