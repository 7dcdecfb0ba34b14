#pragma once
// The send operation's outside world: files in a real temporary folder, messages and
// status lines recorded, the mail control on a scripted server.
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "send_mail.h"

namespace mailtest {

class FakeMailPorts : public vistrel::MailPorts {
 public:
  bool emptyPicture = false;
  long convertResult = 0;
  unsigned long writeError = 0;  // the system's cause a failed picture write leaves
  unsigned long LastWriteError() override { return writeError; }
  std::string SystemErrorText(unsigned long code) override {
    return "System text " + std::to_string(code) + ".\r\n";
  }
  bool moreInfo = false;
  std::string folder;              // a real folder: the mail control reads the attachment from it
  std::vector<std::string> calls;  // in order: convert, zip, exe, remove, setup, ...
  std::vector<std::string> status;
  std::vector<std::string> debugFile;
  std::vector<std::string> messages;  // caption + "|" + text (+ "|critical")
  std::vector<std::string> listed;
  std::vector<int> progress;
  bool formOpen = false;
  int pointer = 0;  // hourglass shown minus restored
  std::function<void()> onDoEvents;
  bool packerWrites = true;       // false: AddToZip fails without a word, as the packer does
  bool makerWrites = true;        // false: MakeExe does
  std::set<std::string> entries;  // "archive|name" for every name an archive lists
  // Throws std::runtime_error("<what> failed") when a call or status line starts with this.
  std::string throwAt;

  void MaybeThrow(const std::string& what) {
    if (!throwAt.empty() && what.rfind(throwAt, 0) == 0)
      throw std::runtime_error(throwAt + " failed");
  }

  bool FxPicEmpty() override { return emptyPicture; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  bool WriteBitmap(const std::string& path) override {
    calls.push_back("bitmap " + path);
    MaybeThrow(calls.back());
    Write(path, "BMpicture");
    return true;
  }
  long ConvertFxPic(const std::string& command) override {
    calls.push_back("convert " + command);
    MaybeThrow(calls.back());
    if (convertResult == 0) Write(command.substr(command.find("dest=") + 5), "\xFF\xD8jpeg.\r\n.");
    return convertResult;
  }
  void AddToZip(const std::string& file, const std::string& archive) override {
    calls.push_back("zip " + file + " " + archive);
    // Half a file, as a packer stopped by a full disk leaves.
    if (!packerWrites) Write(archive, "PK");
    MaybeThrow(calls.back());
    if (!packerWrites) return;
    Write(archive, "PK" + Read(file));
    entries.insert(archive + "|" + std::filesystem::path(file).filename().string());
  }
  void MakeExe(const std::string& archive) override {
    calls.push_back("exe " + archive);
    const std::string exe = archive.substr(0, archive.size() - 3) + "exe";
    if (!makerWrites) Write(exe, "MZ");
    MaybeThrow(calls.back());
    if (!makerWrites) return;
    Write(exe, "MZ" + Read(archive));
    std::filesystem::remove(archive);
    for (const std::string& entry : std::set<std::string>(entries))
      if (entry.rfind(archive + "|", 0) == 0) entries.insert(exe + entry.substr(archive.size()));
  }
  bool ArchiveHolds(const std::string& archive, const std::string& name) override {
    return std::filesystem::exists(archive) && entries.count(archive + "|" + name) > 0;
  }
  bool FileExists(const std::string& path) override { return std::filesystem::exists(path); }
  void RemoveFile(const std::string& path) override {
    calls.push_back("remove " + path);
    std::filesystem::remove(path);
  }
  std::string TempFolder() override { return folder; }
  // The files left in the folder.
  std::vector<std::string> Left() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    return names;
  }
  vistrel::LocalTime Now() override { return {2026, 3, 14, 9, 5, 7}; }
  double Random() override { return 0.123456789012; }
  void DoEvents() override {
    if (onDoEvents) onDoEvents();
  }
  void ShowHourglass() override { ++pointer; }
  void RestorePointer() override { --pointer; }
  void NormalPointer() override { --pointer; }
  void ShowMessage(const std::string& text, vistrel::MessageIcon icon,
                   const std::string& caption) override {
    messages.push_back(caption + "|" + text +
                       (icon == vistrel::MessageIcon::Critical ? "|critical" : ""));
  }
  void AddRecipientToList(const std::string& address) override { listed.push_back(address); }
  void OpenSetupDialog() override { calls.push_back("setup"); }
  void ShowMailForm() override { formOpen = true; }
  void CloseMailForm() override { formOpen = false; }
  void ShowStatus(const std::string& text) override {
    status.push_back(text);
    MaybeThrow(text);
  }
  bool MoreInfo() override { return moreInfo; }
  void AppendDebugLine(const std::string& text) override { debugFile.push_back(text); }
  void ShowProgress(int percent) override { progress.push_back(percent); }
};

}  // namespace mailtest
