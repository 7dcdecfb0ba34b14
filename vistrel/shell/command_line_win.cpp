#include "command_line_win.h"

#include <algorithm>

#include "auto_file_name.h"
#include "conversion_client_win.h"
#include "countdown_win.h"
#include "event_pump_win.h"
#include "fx_exchange_win.h"
#include "gdi_handles_win.h"
#include "output_files_win.h"
#include "output_picture.h"
#include "output_sequence.h"
#include "recent_captures_win.h"
#include "save_it_win.h"
#include "window_thunk_win.h"

namespace vistrel {

namespace {

constexpr char kReplyClass[] = "VistrelCommandReply";
constexpr UINT_PTR kWatchTimer = 1;
// Time the running program gets to finish its start-up before it takes a command.
constexpr DWORD kStartupWaitMs = 30000;
// Time a capture may take once its delay is over.
constexpr DWORD kCaptureWaitMs = 120000;

// Lines end as the console expects them.
void PrintText(bool error, const std::string& text) {
  static HANDLE console = nullptr;
  HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    // A program of the windows subsystem gets no console of its own: the one
    // of the program that started us, when it has one.
    if (console == nullptr && AttachConsole(ATTACH_PARENT_PROCESS)) {
      console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    out = console;
  }
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  std::string lines;
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  if (lines.empty() || lines.back() != '\n') lines += "\r\n";
  DWORD written = 0;
  WriteFile(out, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
}

int Finish(const CommandResult& result) {
  if (!result.message.empty()) PrintText(result.status != kExitOk, result.message);
  return result.status;
}

std::string EncodeReply(const CommandResult& result) {
  return std::to_string(result.status) + "\n" + result.message;
}

CommandResult DecodeReply(const char* data, size_t size) {
  const std::string text(data, strnlen(data, size));
  const size_t line = text.find('\n');
  CommandResult result{kExitFailed, "The running Vistrel gave an answer that could not be read."};
  if (line == std::string::npos || line == 0 || line > 3) return result;
  for (size_t i = 0; i < line; ++i)
    if (text[i] < '0' || text[i] > '9') return result;
  return {std::stoi(text.substr(0, line)), text.substr(line + 1)};
}

// A message-only window: the running program's answer arrives here, and the
// clipboard takes it as the owner of what this process puts there.
class ReplyWindow {
 public:
  ReplyWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowThunk<ReplyWindow, &ReplyWindow::Message>;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kReplyClass;
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, kReplyClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, this);
  }
  ~ReplyWindow() {
    if (window_) DestroyWindow(window_);
  }
  ReplyWindow(const ReplyWindow&) = delete;
  ReplyWindow& operator=(const ReplyWindow&) = delete;

  HWND get() const { return window_; }
  bool Arrived() const { return arrived_; }
  const CommandResult& Result() const { return result_; }

  LRESULT Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data->dwData == kCommandReplyTag && data->lpData) {
        result_ = DecodeReply(static_cast<const char*>(data->lpData), data->cbData);
        arrived_ = true;
        return TRUE;
      }
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

 private:
  HWND window_ = nullptr;
  bool arrived_ = false;
  CommandResult result_;
};

Rect WholeDesktop() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
          top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// --out made absolute against the folder the command was given in: the
// running program that writes the file has a current folder of its own.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return path;
  std::string result(full, length);
  // Keeps the folder meaning of a trailing separator that the call may drop.
  if (!path.empty() && (path.back() == '\\' || path.back() == '/') && result.back() != '\\') {
    result += '\\';
  }
  return result;
}

// The running program's main window; nullptr when none runs. One that is still
// making its windows is waited for.
HWND RunningProgram() {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kSingleInstanceMutex);
  if (mutex == nullptr) return nullptr;
  CloseHandle(mutex);
  const DWORD until = GetTickCount() + kStartupWaitMs;
  for (;;) {
    if (HWND window = FindWindowA(kMainWindowClass, nullptr)) return window;
    if (static_cast<int32_t>(until - GetTickCount()) <= 0) return nullptr;
    Sleep(100);
  }
}

CommandResult HandOver(HWND program, const CaptureCommand& command) {
  ReplyWindow replyWindow;
  const HWND reply = replyWindow.get();
  if (!reply) return {kExitFailed, "The answer window for the running Vistrel could not be made."};
  std::string text = EncodeCaptureCommand(command);
  COPYDATASTRUCT data{kCommandRequestTag, static_cast<DWORD>(text.size() + 1), text.data()};
  const DWORD startUntil = GetTickCount() + kStartupWaitMs;
  DWORD_PTR answer = 0;
  for (;;) {
    if (!SendMessageTimeoutA(program, WM_COPYDATA, reinterpret_cast<WPARAM>(reply),
                             reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000, &answer)) {
      return {kExitFailed, "The running Vistrel does not answer; nothing was captured."};
    }
    if (answer != static_cast<DWORD_PTR>(kRequestNotReady) ||
        static_cast<int32_t>(startUntil - GetTickCount()) <= 0)
      break;
    Sleep(200);
  }
  if (answer == static_cast<DWORD_PTR>(kRequestBusy)) {
    return {kExitFailed,
            "Vistrel is busy with another capture; nothing was captured. Try again when it is "
            "done."};
  }
  if (answer != static_cast<DWORD_PTR>(kRequestAccepted)) {
    return {kExitFailed, "The running Vistrel did not take the command; nothing was captured."};
  }
  // The capture runs in the program; its answer arrives at the reply window.
  SetTimer(reply, kWatchTimer, 250, nullptr);
  const DWORD until = GetTickCount() + static_cast<DWORD>(command.delayMs) + kCaptureWaitMs;
  MSG message;
  while (!replyWindow.Arrived() && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == reply) {
      if (!IsWindow(program)) {
        return {kExitFailed, "The running Vistrel ended before it finished the capture."};
      }
      if (static_cast<int32_t>(until - GetTickCount()) <= 0) {
        return {kExitFailed, "The running Vistrel did not finish the capture in time."};
      }
    }
    DispatchMessageA(&message);
  }
  return replyWindow.Arrived() ? replyWindow.Result()
                               : CommandResult{kExitFailed, "The command was interrupted."};
}

// Waits out the delay in this process, with the count-down showing.
bool WaitDelay(int milliseconds) {
  if (milliseconds <= 0) return true;
  Countdown countdown;
  bool finished = false;
  bool fired = false;
  if (!countdown.Start(milliseconds, {}, [&](bool f) {
        finished = true;
        fired = f;
      })) {
    Sleep(static_cast<DWORD>(milliseconds));
    return true;
  }
  MSG message;
  while (!finished && GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return fired;
}

CommandResult CaptureWithoutProgram(const CaptureCommand& command) {
  ReplyWindow owner;
  if (!WaitDelay(command.delayMs)) return {kExitFailed, "The capture was cancelled."};
  CommandResult result = CaptureToOutputs(owner.get(), command);
  TheConversionComponent().Release();
  return result;
}

// The area's rectangle on the screen, or a message why there is none.
std::optional<Rect> AreaOnScreen(const CaptureCommand& command, std::string& error) {
  const Rect desktop = WholeDesktop();
  switch (command.area) {
    case CaptureArea::Full:
      return desktop;
    case CaptureArea::Rectangle:
      return command.rectangle;
    case CaptureArea::Monitor: {
      POINT at{};
      GetCursorPos(&at);
      MONITORINFO info{};
      info.cbSize = sizeof info;
      if (!GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY), &info)) {
        error = "The monitor under the mouse pointer could not be found.";
        return std::nullopt;
      }
      return Rect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                  info.rcMonitor.bottom};
    }
    case CaptureArea::Window: {
      HWND active = GetForegroundWindow();
      RECT r{};
      if (active == nullptr || !IsWindowVisible(active) || IsIconic(active) ||
          !GetWindowRect(active, &r)) {
        error = "There is no active window to capture.";
        return std::nullopt;
      }
      // What lies off the desktop cannot be read.
      Rect area{std::max<int32_t>(r.left, desktop.left), std::max<int32_t>(r.top, desktop.top),
                std::min<int32_t>(r.right, desktop.right),
                std::min<int32_t>(r.bottom, desktop.bottom)};
      if (area.Width() <= 0 || area.Height() <= 0) {
        error = "The active window is not on the screen.";
        return std::nullopt;
      }
      return area;
    }
  }
  return std::nullopt;
}

Bitmap ReadScreen(const Rect& area) {
  const WindowDc screen(nullptr);
  if (!screen) return {};
  const MemoryDc memory(CreateCompatibleDC(screen.get()));
  Bitmap picture(CreateCompatibleBitmap(screen.get(), area.Width(), area.Height()));
  if (!memory || !picture) return {};
  const SelectGuard selected(memory.get(), picture.get());
  if (!BitBlt(memory.get(), 0, 0, area.Width(), area.Height(), screen.get(), area.left, area.top,
              SRCCOPY | CAPTUREBLT)) {
    return {};
  }
  return picture;
}

// The picture step of the output sequence for one bitmap; archives are never asked for.
class CommandPorts : public OutputPorts {
 public:
  CommandPorts(HWND owner, HBITMAP picture) : owner_(owner), picture_(picture) {}
  bool WriteBitmap(const std::string& path) override { return WriteBitmapFile(picture_, path); }
  long ConvertFxPic(const std::string& command) override {
    if (!PutBitmapOnClipboard(owner_, picture_, true)) return kClipboardBusy;
    return CallConvertImage(command);
  }
  void AddToZip(const std::string&, const std::string&) override {}
  void MakeExe(const std::string&) override {}
  bool ArchiveHolds(const std::string&, const std::string&) override { return false; }
  bool FileExists(const std::string& path) override { return FileCanBeRead(path); }
  void RemoveFile(const std::string& path) override { DeleteFileA(path.c_str()); }
  void DoEvents() override { vistrel::DoEvents(); }

 private:
  HWND owner_;
  HBITMAP picture_;
};

std::string WriteFailureText(long result, const std::string& file) {
  if (result == kCannotWrite) return "Could not write \"" + file + "\"; nothing was written.";
  if (result == kClipboardBusy) {
    return "The picture could not be put on the clipboard for its conversion: another program "
           "is holding it. Nothing was written.";
  }
  if (result == kFormatNotSupported) {
    return "The format of \"" + file +
           "\" is not supported at this colour depth; nothing was "
           "written.";
  }
  return "The picture could not be converted into \"" + file + "\" (error " +
         std::to_string(result) + "); nothing was written.";
}

}  // namespace

CheckedCommand CheckOnThisSystem(const CaptureCommand& command) {
  CommandWorld world;
  world.screen = WholeDesktop();
  world.isFolder = IsFolder;
  world.autoFileName = [](const std::string& folder, const std::string& extension) {
    SaveTarget target;
    target.folder = folder;
    for (const char* entry : kFileFormats) {
      if (FormatExtension(entry) == extension) target.formatEntry = entry;
    }
    return AutoFileNameWin(target);
  };
  return CheckCaptureCommand(command, world);
}

CommandResult CaptureToOutputs(HWND owner, const CaptureCommand& command) {
  const CheckedCommand checked = CheckOnThisSystem(command);
  if (!checked.plan) return {kExitUsage, checked.error};
  const OutputPlan& plan = *checked.plan;
  const bool bitmap = plan.extension == "bmp";
  if (!plan.file.empty() && !bitmap && !TheConversionComponent().Available() &&
      !TheConversionComponent().Create()) {
    return {kExitFailed,
            "The image conversion component could not be started; only .bmp files can be "
            "written. Nothing was written."};
  }
  std::string error;
  const std::optional<Rect> area = AreaOnScreen(command, error);
  if (!area) return {kExitFailed, error};
  const Bitmap owned = ReadScreen(*area);
  const HBITMAP picture = owned.get();
  if (!picture) return {kExitFailed, "The screen could not be read; nothing was written."};

  if (!plan.file.empty()) {
    OutputRequest request;
    request.picture = plan.file;
    request.bitmap = bitmap;
    CommandPorts ports(owner, picture);
    const OutputResult written = WriteOutput(request, ports);
    if (!written.written) return {kExitFailed, WriteFailureText(written.result, plan.file)};
    RecordSavedCapture(plan.file);
  }
  if (command.clipboard && !PutBitmapOnClipboard(owner, picture, true)) {
    return {kExitFailed, plan.file.empty()
                             ? "The picture could not be put on the clipboard: another program "
                               "is holding it."
                             : plan.file +
                                   " was written, but the picture could not be put on "
                                   "the clipboard: another program is holding it."};
  }
  return {kExitOk, CommandDoneText(command, plan)};
}

void ReplyToCommand(HWND replyWindow, const CommandResult& result) {
  if (replyWindow == nullptr || !IsWindow(replyWindow)) return;
  std::string text = EncodeReply(result);
  COPYDATASTRUCT data{kCommandReplyTag, static_cast<DWORD>(text.size() + 1), text.data()};
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(replyWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                      SMTO_ABORTIFHUNG, 5000, &answer);
}

std::optional<int> RunCommandLine(const std::string& arguments,
                                  std::optional<CaptureCommand>& startupCommand) {
  const ParsedCommand parsed = ParseCommandLine(SplitCommandLine(arguments));
  switch (parsed.kind) {
    case CommandKind::None:
      return std::nullopt;
    case CommandKind::Help:
      PrintText(false, UsageText());
      return kExitOk;
    case CommandKind::Error:
      return Finish({kExitUsage, parsed.error});
    case CommandKind::Capture:
      break;
  }
  CaptureCommand command = parsed.capture;
  if (!command.out.empty()) command.out = FullPath(command.out);
  // Bad input is refused before any delay, and before a running program hears of it.
  const CheckedCommand checked = CheckOnThisSystem(command);
  if (!checked.plan) return Finish({kExitUsage, checked.error});
  if (HWND program = RunningProgram()) return Finish(HandOver(program, command));
  if (HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kSingleInstanceMutex)) {
    CloseHandle(mutex);
    return Finish({kExitFailed,
                   "Vistrel is starting but its window did not appear; nothing "
                   "was captured."});
  }
  if (command.wizard) {
    // Without a running program this one becomes it, and opens the wizard on the capture.
    startupCommand = command;
    return std::nullopt;
  }
  return Finish(CaptureWithoutProgram(command));
}

}  // namespace vistrel
