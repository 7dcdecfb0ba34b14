#include "handoffs_win.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

#include "clipboard_dib_win.h"
#include "dib_info_win.h"
#include "fx_exchange_win.h"
#include "gdi_handles_win.h"
#include "handoffs.h"
#include "handoffs_clipboard.h"
#include "opened_clipboard_win.h"
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

// The picture's blocks for the clipboard, or nothing when it cannot be read.
std::optional<ClipboardBlocks> BlocksOf(HBITMAP picture) {
  BITMAP facts{};
  if (GetObjectA(picture, sizeof facts, &facts) == 0 || facts.bmWidth <= 0 || facts.bmHeight == 0)
    return std::nullopt;
  const int width = facts.bmWidth, height = std::abs(facts.bmHeight);
  std::vector<uint32_t> pixels;
  try {
    pixels.resize(static_cast<size_t>(width) * height);
  } catch (const std::exception&) {  // a picture too large for the memory left
    return std::nullopt;
  }
  BITMAPINFO info = TopDown32(width, height);
  const WindowDc screen(nullptr);
  const int lines =
      GetDIBits(screen.get(), picture, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  if (lines != height) return std::nullopt;
  for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  return MakeClipboardBlocks(width, height, pixels);
}

// A movable memory block holding `bytes`, for SetClipboardData; nullptr when
// there is no memory for it.
HGLOBAL GlobalCopy(const std::vector<uint8_t>& bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (memory == nullptr) return nullptr;
  GlobalLockGuard lock(memory);
  if (lock.Data() == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(lock.Data(), bytes.data(), bytes.size());
  return memory;
}

enum class CopyOutcome { Copied, NoMemory, Held };

// Empties the clipboard, so that no other program's picture stays beside
// ours for a reader to paste, then places our picture in every format. When
// a format cannot be placed the clipboard is left empty rather than holding
// a part of the copy.
CopyOutcome PutPictureOnClipboard(HWND owner, HBITMAP picture) {
  std::optional<ClipboardBlocks> blocks = BlocksOf(picture);
  if (!blocks) return CopyOutcome::NoMemory;
  const UINT pngFormat = RegisterClipboardFormatA(kPngClipboardFormat);
  const struct {
    UINT format;
    std::vector<uint8_t>& bytes;
  } placements[] = {{CF_DIB, blocks->dib}, {CF_DIBV5, blocks->dibV5}, {pngFormat, blocks->png}};
  std::vector<HGLOBAL> memory;
  for (const auto& placement : placements) {
    HGLOBAL block = placement.format != 0 ? GlobalCopy(placement.bytes) : nullptr;
    if (block == nullptr) {
      for (HGLOBAL made : memory) GlobalFree(made);
      return CopyOutcome::NoMemory;
    }
    memory.push_back(block);
    // A screen-sized picture is megabytes in each format: each goes once copied,
    // so that the 32-bit process holds fewer copies at a time.
    std::vector<uint8_t>().swap(placement.bytes);
  }
  OpenedClipboard clipboard(owner);
  if (!clipboard) {
    for (HGLOBAL made : memory) GlobalFree(made);
    return CopyOutcome::Held;
  }
  bool placed = EmptyClipboard() != FALSE;
  for (size_t i = 0; i < memory.size(); ++i) {
    // Once placed, a block belongs to the clipboard.
    if (placed && SetClipboardData(placements[i].format, memory[i]) != nullptr) continue;
    placed = false;
    GlobalFree(memory[i]);
  }
  if (!placed) EmptyClipboard();
  return placed ? CopyOutcome::Copied : CopyOutcome::Held;
}

}  // namespace

void CopyToClipboard(HWND owner, HBITMAP fxPic, bool fromButton) {
  const char* problem = nullptr;
  if (PictureIsEmpty(fxPic)) {
    problem = kNothingToCopyText;
  } else {
    switch (PutPictureOnClipboard(owner, fxPic)) {
      case CopyOutcome::Copied:
        break;
      case CopyOutcome::NoMemory:
        problem = kClipboardNoMemoryText;
        break;
      case CopyOutcome::Held:
        problem = kClipboardHeldText;
        break;
    }
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
