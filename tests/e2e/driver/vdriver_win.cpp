// A small driver for the end-to-end tests: finds windows and controls, reads
// their texts and presses their buttons, from outside the program.
//
//   vdriver list
//   vdriver wait CLASS TITLE TIMEOUT_MS      prints the handle when it appears
//   vdriver gone CLASS TITLE TIMEOUT_MS      succeeds when no such window is left
//   vdriver close CLASS TITLE                posts WM_CLOSE
//   vdriver text CLASS TITLE [CONTROL_ID]    prints the window's or control's text
//   vdriver click CLASS TITLE CONTROL_ID     presses a button (posted, so modal loops are fine)
//   vdriver check CLASS TITLE CONTROL_ID 0|1 clicks a check box until it has that state
//   vdriver msgbox TITLE BUTTON_ID TIMEOUT_MS  waits for a message box, prints its text, presses
//   vdriver modules EXE_NAME                 prints the modules loaded by that process
//   vdriver post CLASS TITLE MSG WPARAM LPARAM
//   vdriver postchild CLASS TITLE CONTROL_ID MSG WPARAM LPARAM   the same to a child window
//   vdriver kill EXE_NAME                    ends every process of that name
//   vdriver rect CLASS TITLE [CONTROL_ID]    prints the window's or control's screen
//                                            rectangle (left top right bottom), for
//                                            real clicks and for reading its pixels
//   vdriver shown CLASS TITLE TIMEOUT_MS     waits for a visible window (hidden ones
//                                            of the same class are passed over), prints
//                                            its screen rectangle
//   vdriver holdclipboard MS [picture]       opens the clipboard, prints "held", keeps it
//                                            open for MS milliseconds or until released (a
//                                            slow program); with "picture" first puts a
//                                            40 x 30 red bitmap on it
//   vdriver releaseclipboard                 makes the holder above let go at once
// CLASS or TITLE "-" matches any. Exit code 0 on success, 1 on a miss, 2 on bad use.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* Any(const char* text) { return std::strcmp(text, "-") == 0 ? nullptr : text; }

HWND Find(const char* cls, const char* title) { return FindWindowA(Any(cls), Any(title)); }

HWND WaitFor(const char* cls, const char* title, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = Find(cls, title)) return window;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

std::string TextOf(HWND window) {
  char buffer[4096] = "";
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  return buffer;
}

BOOL CALLBACK ListOne(HWND window, LPARAM) {
  char cls[256] = "";
  GetClassNameA(window, cls, sizeof cls);
  std::printf("%p\t%s\t%s\t%s\n", static_cast<void*>(window), cls, TextOf(window).c_str(),
              IsWindowVisible(window) ? "visible" : "hidden");
  return TRUE;
}

BOOL CALLBACK StaticText(HWND child, LPARAM out) {
  char cls[64] = "";
  GetClassNameA(child, cls, sizeof cls);
  if (_stricmp(cls, "Static") == 0) {
    std::string text = TextOf(child);
    if (!text.empty()) *reinterpret_cast<std::string*>(out) += text;
  }
  return TRUE;
}

DWORD ProcessId(const char* exeName) {
  HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 process{};
  process.dwSize = sizeof process;
  DWORD pid = 0;
  for (BOOL ok = Process32First(processes, &process); ok; ok = Process32Next(processes, &process)) {
    if (_stricmp(process.szExeFile, exeName) == 0) pid = process.th32ProcessID;
  }
  CloseHandle(processes);
  return pid;
}

int Kill(const char* exeName) {
  while (DWORD pid = ProcessId(exeName)) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return 1;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
  return 0;
}

int Modules(const char* exeName) {
  DWORD pid = ProcessId(exeName);
  if (pid == 0) return 1;
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  MODULEENTRY32 module{};
  module.dwSize = sizeof module;
  for (BOOL ok = Module32First(modules, &module); ok; ok = Module32Next(modules, &module)) {
    std::printf("%s\n", module.szModule);
  }
  CloseHandle(modules);
  return 0;
}

constexpr char kReleaseEvent[] = "vdriver.clipboard.release";

// Holds the clipboard from a window of ours, as another program that is slow to
// close it does; says so once it holds it, so the test knows when to go on.
int HoldClipboard(DWORD ms, bool picture) {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, kReleaseEvent);
  if (release) ResetEvent(release);
  HWND window = CreateWindowA("STATIC", "vdriver clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, nullptr, nullptr);
  if (!window || !OpenClipboard(window)) return 1;
  if (picture) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 30);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 40, 30};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    DeleteObject(red);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    EmptyClipboard();
    if (!SetClipboardData(CF_BITMAP, bitmap)) return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  if (release) {
    WaitForSingleObject(release, ms);
    CloseHandle(release);
  } else {
    Sleep(ms);
  }
  CloseClipboard();
  DestroyWindow(window);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string verb = argv[1];
  if (verb == "list") {
    EnumWindows(ListOne, 0);
    return 0;
  }
  if ((verb == "wait" || verb == "gone") && argc == 5) {
    DWORD timeout = std::strtoul(argv[4], nullptr, 10);
    if (verb == "wait") {
      HWND window = WaitFor(argv[2], argv[3], timeout);
      if (!window) return 1;
      std::printf("%p\n", static_cast<void*>(window));
      return 0;
    }
    DWORD start = GetTickCount();
    while (Find(argv[2], argv[3])) {
      if (GetTickCount() - start > timeout) return 1;
      Sleep(50);
    }
    return 0;
  }
  if (verb == "close" && argc == 4) {
    HWND window = Find(argv[2], argv[3]);
    return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (verb == "postchild" && argc == 8) {
    HWND window = Find(argv[2], argv[3]);
    if (window) window = GetDlgItem(window, std::atoi(argv[4]));
    return window && PostMessageA(window, std::strtoul(argv[5], nullptr, 0),
                                  std::strtoul(argv[6], nullptr, 0),
                                  std::strtol(argv[7], nullptr, 0))
               ? 0
               : 1;
  }
  if (verb == "post" && argc == 7) {
    HWND window = Find(argv[2], argv[3]);
    return window && PostMessageA(window, std::strtoul(argv[4], nullptr, 0),
                                  std::strtoul(argv[5], nullptr, 0),
                                  std::strtol(argv[6], nullptr, 0))
               ? 0
               : 1;
  }
  if (verb == "text" && (argc == 4 || argc == 5)) {
    HWND window = Find(argv[2], argv[3]);
    if (window && argc == 5) window = GetDlgItem(window, std::atoi(argv[4]));
    if (!window) return 1;
    std::printf("%s\n", TextOf(window).c_str());
    return 0;
  }
  if (verb == "click" && argc == 5) {
    HWND window = Find(argv[2], argv[3]);
    HWND button = window ? GetDlgItem(window, std::atoi(argv[4])) : nullptr;
    if (!button) return 1;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(std::atoi(argv[4]), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return 0;
  }
  if (verb == "check" && argc == 6) {
    HWND window = Find(argv[2], argv[3]);
    HWND box = window ? GetDlgItem(window, std::atoi(argv[4])) : nullptr;
    if (!box) return 1;
    const LRESULT want = std::atoi(argv[5]) ? BST_CHECKED : BST_UNCHECKED;
    if (SendMessageA(box, BM_GETCHECK, 0, 0) != want) SendMessageA(box, BM_CLICK, 0, 0);
    return SendMessageA(box, BM_GETCHECK, 0, 0) == want ? 0 : 1;
  }
  if (verb == "msgbox" && argc == 5) {
    HWND box = WaitFor("#32770", argv[2], std::strtoul(argv[4], nullptr, 10));
    if (!box) return 1;
    std::string text;
    EnumChildWindows(box, StaticText, reinterpret_cast<LPARAM>(&text));
    std::printf("%s\n", text.c_str());
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), BN_CLICKED), 0);
    return 0;
  }
  if (verb == "rect" && (argc == 4 || argc == 5)) {
    HWND window = Find(argv[2], argv[3]);
    if (window && argc == 5) window = GetDlgItem(window, std::atoi(argv[4]));
    RECT box{};
    if (!window || !GetWindowRect(window, &box)) return 1;
    std::printf("%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
    return 0;
  }
  if (verb == "shown" && argc == 5) {
    const DWORD timeout = std::strtoul(argv[4], nullptr, 10), start = GetTickCount();
    for (;;) {
      HWND window = nullptr;
      while ((window = FindWindowExA(nullptr, window, Any(argv[2]), Any(argv[3]))) != nullptr) {
        RECT box{};
        if (IsWindowVisible(window) && GetWindowRect(window, &box)) {
          std::printf("%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
          return 0;
        }
      }
      if (GetTickCount() - start > timeout) return 1;
      Sleep(50);
    }
  }
  if (verb == "modules" && argc == 3) return Modules(argv[2]);
  if (verb == "pid" && argc == 3) {
    const DWORD pid = ProcessId(argv[2]);
    if (pid == 0) return 1;
    std::printf("%lu\n", pid);
    return 0;
  }
  if (verb == "kill" && argc == 3) return Kill(argv[2]);
  if (verb == "holdclipboard" && (argc == 3 || argc == 4)) {
    return HoldClipboard(std::strtoul(argv[2], nullptr, 10),
                         argc == 4 && std::strcmp(argv[3], "picture") == 0);
  }
  if (verb == "releaseclipboard" && argc == 2) {
    HANDLE release = OpenEventA(EVENT_MODIFY_STATE, FALSE, kReleaseEvent);
    if (!release) return 1;
    const BOOL set = SetEvent(release);
    CloseHandle(release);
    return set ? 0 : 1;
  }
  return 2;
}
