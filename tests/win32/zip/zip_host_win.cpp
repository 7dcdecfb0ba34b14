// Test host: zip_host.exe add <spec> <archive> | exe <archive> [...]
// Loads vistlib.dll by name as the program does, runs the commands in order
// and prints "message: <text>" for each message box, which it answers with OK.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>

#include "vistlib.h"

namespace {

std::atomic<bool> g_stop{false};

BOOL CALLBACK AnswerBox(HWND window, LPARAM handledPtr) {
  auto& handled = *reinterpret_cast<std::set<HWND>*>(handledPtr);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[32] = {}, title[64] = {};
  if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  GetClassNameA(window, cls, sizeof cls);
  GetWindowTextA(window, title, sizeof title);
  if (std::strcmp(cls, "#32770") != 0 || std::strcmp(title, "Tarnwick Vistrel") != 0) return TRUE;
  if (handled.insert(window).second) {
    char text[1024] = {};
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
    std::printf("message: %s\n", text);
    std::fflush(stdout);
  }
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void Watch() {
  std::set<HWND> handled;
  while (!g_stop) {
    EnumWindows(AnswerBox, reinterpret_cast<LPARAM>(&handled));
    Sleep(20);  // polling interval of the watcher, not a wait for a result
  }
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

int main(int argc, char** argv) {
  HMODULE library = LoadLibraryA("vistlib.dll");
  if (library == nullptr) {
    std::printf("cannot load vistlib.dll\n");
    return 2;
  }
  auto addToZip = Export<vistlib::AddToZipFn>(library, "AddToZip");
  auto makeExe = Export<vistlib::MakeExeFn>(library, "MakeExe");
  // "look" as the first argument leaves the boxes up, to look at them.
  const bool answer = !(argc > 1 && std::strcmp(argv[1], "look") == 0);
  if (!answer) {
    ++argv;
    --argc;
  }
  std::thread watcher;
  if (answer) watcher = std::thread(Watch);
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string command = argv[i];
    if (command == "add" && i + 2 < argc) {
      addToZip(argv[i + 1], argv[i + 2]);
      i += 2;
    } else if (command == "exe" && i + 1 < argc) {
      makeExe(argv[i + 1]);
      i += 1;
    } else {
      std::printf("bad command %s\n", command.c_str());
      status = 3;
      break;
    }
    std::printf("done: %s\n", command.c_str());
    std::fflush(stdout);
  }
  g_stop = true;
  if (watcher.joinable()) watcher.join();
  FreeLibrary(library);
  return status;
}
