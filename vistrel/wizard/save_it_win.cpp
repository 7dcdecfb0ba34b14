#include "save_it_win.h"

#include "event_pump_win.h"
#include "fx_exchange_win.h"
#include "output_picture.h"
#include "output_picture_win.h"
#include "program_paths_win.h"
#include "stage_times_win.h"
#include "vistlib_client_win.h"

namespace vistrel {

namespace {

class SavePortsWin : public SavePorts {
 public:
  SavePortsWin(HWND owner, HBITMAP fxPic) : owner_(owner), fxPic_(fxPic) {}

  bool FileExists(const std::string& path) override { return FileCanBeRead(path); }
  bool PictureEmpty() override { return PictureIsEmpty(fxPic_); }
  bool WriteBitmap(const std::string& path) override {
    const bool written = WriteBitmapFile(fxPic_, path);
    writeError_ = written ? 0 : GetLastError();
    return written;
  }
  bool WriteStraightPng(const std::string& path) override {
    StageTime("walked");
    const bool written = WritePngFile(fxPic_, path);
    writeError_ = written ? 0 : GetLastError();
    StageTime("written");
    return written;
  }
  long ConvertFxPic(const std::string& command) override {
    StageTime("walked");
    writeError_ = 0;
    // Emptied first, so that no older picture in another format is read instead;
    // without our picture there the component would write whatever is there.
    if (!PutBitmapOnClipboard(owner_, fxPic_, true)) return kClipboardBusy;
    const long result = CallConvertImage(command);
    // The component leaves the system's cause of a failed write as the last error.
    if (result == kCannotWrite) writeError_ = GetLastError();
    return result;
  }
  unsigned long LastWriteError() override { return writeError_; }
  unsigned long WhyNotWritable(const std::string& target, const std::string& source) override {
    return WriteProbeError(target, source);
  }
  std::string SystemErrorText(unsigned long code) override { return SystemMessageText(code); }
  void AddToZip(const std::string& file, const std::string& archive) override {
    VistlibClient::Instance().AddToZip(file, archive);
  }
  void MakeExe(const std::string& archive) override { VistlibClient::Instance().MakeExe(archive); }
  bool ArchiveHolds(const std::string& archive, const std::string& entryName) override {
    return ArchiveListsEntry(archive, entryName);
  }
  void DoEvents() override { vistrel::DoEvents(); }
  void RemoveFile(const std::string& path) override { ::DeleteFileA(path.c_str()); }
  std::string TempFolder() override { return OwnTempFolder(); }
  std::string KeepTemporary(const std::string& path) override {
    return MovedOutOfOwnTempFolder(path);
  }
  LocalTime Now() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }
  void ShowMessage(const std::string& text) override {
    MessageBoxA(owner_, text.c_str(), kProgramTitle, MB_OK);
  }
  void ShowHourglass() override { hourglass_.Show(); }
  void RestorePointer() override { hourglass_.Restore(); }

 private:
  HWND owner_;
  HBITMAP fxPic_;
  DWORD writeError_ = 0;
  Hourglass hourglass_;
};

}  // namespace

std::string AutoFileNameWin(const SaveTarget& target) {
  return AutoFileName(target, FileCanBeRead);
}

SaveOutcome SaveItWin(HWND owner, const SaveTarget& target, HBITMAP fxPic,
                      std::string& lastSavedFile) {
  SavePortsWin ports(owner, fxPic);
  const SaveOutcome outcome = SaveIt(target, ports, lastSavedFile);
  ReleaseOwnTempFolder();  // when the picture packed from it is gone
  return outcome;
}

}  // namespace vistrel
