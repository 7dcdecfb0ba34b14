#include "handoffs_win.h"

#include <shellapi.h>

#include <vector>

#include "fx_exchange_win.h"
#include "handoffs.h"
#include "output_picture_win.h"
#include "save_it_win.h"
#include "vistlib_client_win.h"

namespace vistrel::wizard {
namespace {

class HandoffPortsWin : public HandoffPorts {
 public:
  explicit HandoffPortsWin(HWND owner) : owner_(owner) {}

  bool FileExists(const std::string& path) override { return FileCanBeRead(path); }
  void Beep() override { MessageBeep(MB_OK); }
  void ShellOpen(const std::string& file, const std::string& folder) override {
    ShellExecuteA(owner_, nullptr, file.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(),
                  SW_SHOWNORMAL);
  }
  void Start(const std::string& program, const std::string& commandLine) override {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // The program is named apart from its command line, so a Windows folder
    // with a space in it still starts the right file.
    if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  void Exclamation(const std::string& text, const std::string& title) override {
    MessageBoxA(owner_, text.c_str(), title.empty() ? kProgramTitle : title.c_str(),
                MB_OK | MB_ICONEXCLAMATION);
  }

 private:
  HWND owner_;
};

std::string WindowsFolder() {
  char folder[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  std::string text(folder, length > 0 && length < MAX_PATH ? length : 0);
  if (!text.empty() && text.back() != '\\') text += '\\';
  return text;
}

}  // namespace

void CopyToClipboard(HWND owner, HBITMAP fxPic, bool fromButton) {
  const char* problem = nullptr;
  if (PictureIsEmpty(fxPic)) {
    problem = kNothingToCopyText;
  } else if (!PutBitmapOnClipboard(owner, fxPic, false)) {
    problem = kClipboardHeldText;
  }
  if (problem != nullptr) {
    MessageBoxA(owner, problem, kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  } else if (fromButton) {
    MessageBoxA(owner, kCopiedText, kProgramTitle, MB_OK | MB_ICONINFORMATION);
  }
}

void ViewClipboard() { VistlibClient::Instance().ShowClipBoard(); }

void OpenLastSavedWin(HWND owner, const std::string& lastSavedFile) {
  HandoffPortsWin ports(owner);
  OpenLastSaved(ports, lastSavedFile);
}

void OpenLastSavedButtonWin(HWND owner, std::string& lastSavedFile,
                            const std::string& autoFileName) {
  HandoffPortsWin ports(owner);
  OpenLastSavedButton(ports, lastSavedFile, autoFileName);
}

void ShowExplorerWin(HWND owner, const std::string& folder) {
  HandoffPortsWin ports(owner);
  ShowExplorer(ports, WindowsFolder(), folder);
}

}  // namespace vistrel::wizard
