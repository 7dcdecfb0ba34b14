#pragma once
// The send operation's outside world: files in a real temporary folder, messages and
// status lines recorded, the mail control on a scripted server.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "send_mail.h"

namespace mailtest {

class FakeMailPorts : public vistrel::MailPorts {
 public:
  bool emptyPicture = false;
  long convertResult = 0;
  bool moreInfo = false;
  std::string folder;  // a real folder: the mail control reads the attachment from it
  std::vector<std::string> calls;            // in order: convert, zip, exe, remove, setup, ...
  std::vector<std::string> status;
  std::vector<std::string> debugFile;
  std::vector<std::string> messages;  // caption + "|" + text (+ "|critical")
  std::vector<std::string> listed;
  std::vector<int> progress;
  bool formOpen = false;
  int pointer = 0;  // hourglass shown minus restored
  std::function<void()> onDoEvents;

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
    Write(path, "BMpicture");
    return true;
  }
  long ConvertFxPic(const std::string& command) override {
    calls.push_back("convert " + command);
    if (convertResult == 0) Write(command.substr(command.find("dest=") + 5), "\xFF\xD8jpeg.\r\n.");
    return convertResult;
  }
  void AddToZip(const std::string& file, const std::string& archive) override {
    calls.push_back("zip " + file + " " + archive);
    Write(archive, "PK" + Read(file));
  }
  void MakeExe(const std::string& archive) override {
    calls.push_back("exe " + archive);
    Write(archive.substr(0, archive.size() - 3) + "exe", "MZ" + Read(archive));
    std::filesystem::remove(archive);
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
  void ShowStatus(const std::string& text) override { status.push_back(text); }
  bool MoreInfo() override { return moreInfo; }
  void AppendDebugLine(const std::string& text) override { debugFile.push_back(text); }
  void ShowProgress(int percent) override { progress.push_back(percent); }
};

}  // namespace mailtest
