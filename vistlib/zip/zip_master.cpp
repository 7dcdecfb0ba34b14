#include "zip_master.h"

#include <array>
#include <cstring>

#include "param_block_builder.h"
#include "partial_file_name.h"
#include "sfx_header.h"
#include "sfx_stub_search.h"

namespace vistlib::zip {
namespace {

constexpr std::size_t kCopyBlock = 8192;
constexpr const char* kNoZipFile = "Error - no zip file specified";

// Clears a flag on every way out of a scope.
class FlagGuard {
 public:
  explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

 private:
  bool& flag_;
};

std::string TrimLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

}  // namespace

TZipMaster::TZipMaster(ZipSystem& system, void* ownerWindow)
    : system_(system), ownerWindow_(ownerWindow) {}

void TZipMaster::SetZipFilename(const std::string& path) {
  zipFilename_ = path;
  if (!path.empty() && system_.FileExists(path)) ReadEntryList();
}

void TZipMaster::SetDLLDirectory(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  dllDirectory_ = std::move(folder);
}

void TZipMaster::ReadEntryList() {
  entries_.clear();
  std::unique_ptr<ByteSource> file = system_.OpenRead(zipFilename_);
  if (!file) return;
  EntryListResult result = ReadZipEntries(*file, zipFilename_);
  file.reset();
  entries_ = std::move(result.entries);
  if (!result.message.empty()) system_.ShowMessage(result.message);
}

void TZipMaster::Add() {
  successCnt_ = 0;
  if (zipFilename_.empty()) {
    FSpecArgs.clear();  // a later call must not pack this call's files
    system_.ShowMessage(kNoZipFile);
    return;
  }
  if (busy_) {
    FSpecArgs.clear();  // the running call has taken its own; this one is dropped
    return;
  }
  int32_t added = 0;
  {
    FlagGuard busy(busy_);
    cancel_ = false;
    // Whatever happens below, the file names to pack belong to this run only.
    std::vector<std::string> specs;
    specs.swap(FSpecArgs);

    std::string dllPath = "ZIPDLL.DLL";
    if (!dllDirectory_.empty() && system_.FileExists(JoinPath(dllDirectory_, "ZIPDLL.DLL"))) {
      dllPath = JoinPath(dllDirectory_, "ZIPDLL.DLL");
    }
    std::unique_ptr<PackerModule> packer = system_.LoadPacker(dllPath);
    if (!packer) {
      system_.ShowMessage("ZIPDLL.DLL not found");
      return;
    }
    if (!packer->HasExec()) system_.ShowMessage("ZipDllExec function not found in ZIPDLL.DLL");
    if (!packer->HasVersion()) {
      system_.ShowMessage("GetZipDllVersion function not found in ZIPDLL.DLL");
    }

    // A path cut to fit its buffer would name another file: refuse it.
    std::vector<const std::string*> paths{&zipFilename_};
    for (const std::string& spec : specs) paths.push_back(&spec);
    for (const std::string* path : paths) {
      if (!ParamBlockBuilder::Fits(*path, kPathBufferSize)) {
        system_.ShowMessage("Error - path longer than 255 characters: " + *path);
        return;
      }
    }

    ParamBlockBuilder builder(Settings, ownerWindow_, this, &TZipMaster::Callback, specs,
                              zipFilename_);
    std::optional<int32_t> result;
    if (packer->HasExec()) result = packer->Exec(builder.Block());
    if (result) {
      added = *result;
    } else {
      system_.ShowMessage("Fatal DLL Error: abort exception");
    }
    packer.reset();
    cancel_ = false;
  }
  successCnt_ = added;
  if (successCnt_ > 0) SetZipFilename(zipFilename_);
}

int32_t ZIPDLL_CALL TZipMaster::Callback(CallbackRecord* record) {
  if (record == nullptr) return 0;
  auto* self = static_cast<TZipMaster*>(record->caller);
  if (self == nullptr) return 0;
  // The record is the packer's: read its text up to our size, never write into it.
  const std::string text(record->text, strnlen(record->text, kCallbackTextSize));
  if (record->actionCode >= kActionStart && record->actionCode <= kActionEnd) {
    if (self->OnProgress) self->OnProgress(record->actionCode, text, record->fileSize);
  } else if (record->actionCode > kActionEnd) {
    if (self->OnMessage) self->OnMessage(record->errorCode, TrimLineEnd(text));
  }
  return self->cancel_ ? -1 : 0;
}

void TZipMaster::ConvertSFX() {
  if (!system_.FileExists(zipFilename_)) {
    system_.ShowMessage(kNoZipFile);
    return;
  }
  SfxSearchPlaces places{sfxPath_,
                         system_.CurrentDirectory(),
                         system_.HostProgramDirectory(),
                         system_.SystemDirectory(),
                         system_.WindowsDirectory(),
                         dllDirectory_};
  const std::string stub =
      FindSfxStub(places, [this](const std::string& path) { return system_.FileExists(path); });
  if (stub.empty()) {
    system_.ShowMessage("Error - ZIPSFX.BIN not found");
    return;
  }
  sfxPath_ = stub;
  if (UpperAscii(ExtensionOf(zipFilename_)) != ".ZIP") {
    system_.ShowMessage("Error: input file is not a zip file");
    return;
  }
  // Copying lets messages run; a packer run on the same archive must wait.
  if (busy_) return;
  FlagGuard busy(busy_);
  system_.ShowHourglass();
  const std::string archive = zipFilename_;
  const std::string output = ChangeExtension(archive, ".exe");
  if (WriteExecutable(stub, output)) {
    system_.Delete(archive);
    SetZipFilename(output);
  }
  system_.RestoreCursor();
}

// Builds the executable under a temporary name and puts it in place only when
// complete, so a failure never costs an earlier executable of that name; the
// name carries our process id, so the next start removes it after a kill.
bool TZipMaster::WriteExecutable(const std::string& stubPath, const std::string& outputPath) {
  const std::string temp = vistrel::PartialFileName(outputPath, system_.ProcessId());

  const std::optional<SfxHeader> header = BuildSfxHeader(Settings);
  if (!header) return false;
  std::unique_ptr<ByteSource> stub = system_.OpenRead(stubPath);
  std::unique_ptr<ByteSource> archive = system_.OpenRead(zipFilename_);
  if (!stub || !archive) return false;
  const int64_t stubSize = stub->Size();
  const int64_t archiveSize = archive->Size();
  if (stubSize < 0 || archiveSize < 0) return false;

  std::unique_ptr<ByteSink> out = system_.Create(temp);
  if (!out) return false;
  bool ok = CopyInBlocks(*stub, *out) && out->Write(header->data(), header->size()) &&
            CopyInBlocks(*archive, *out);
  ok = out->Close() && ok;
  out.reset();
  stub.reset();
  archive.reset();
  ok =
      ok && system_.FileSize(temp) == stubSize + static_cast<int64_t>(kSfxHeaderSize) + archiveSize;
  ok = ok && system_.MoveReplacing(temp, outputPath);
  if (!ok) system_.Delete(temp);
  return ok;
}

bool TZipMaster::CopyInBlocks(ByteSource& from, ByteSink& to) {
  if (!from.Seek(0)) return false;
  std::array<char, kCopyBlock> block;
  for (;;) {
    const std::size_t n = from.Read(block.data(), block.size());
    if (n > 0 && !to.Write(block.data(), n)) return false;
    system_.ProcessMessages();
    if (n < block.size()) return true;
  }
}

void AddToZip(TZipMaster& zip, const std::string& spec, const std::string& archive) {
  zip.FSpecArgs.push_back(spec);
  zip.SetZipFilename(archive);
  zip.Add();
}

void MakeExe(TZipMaster& zip, const std::string& archive) {
  zip.SetZipFilename(archive);
  zip.ConvertSFX();
}

}  // namespace vistlib::zip
