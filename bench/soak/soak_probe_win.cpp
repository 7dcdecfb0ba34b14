// Prints one line about a running process, found by its executable name:
//   gdi <n> user <n> handles <n> private <bytes> heapblocks <n> heapbytes <n>
//   committed <bytes> how <api|inside>
// GDI and USER object counts come from GetGuiResources; where that answers
// nothing (Wine) soak_count.dll, beside this program, counts them from inside
// the process, as it counts the busy heap blocks and the committed private
// memory (and lists the blocks into the file named by a second argument).
// Private bytes are Windows' count (Wine reports only swapped-out memory
// there). Exit code 1 when the process is not found or cannot be read.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

#include "soak_counts.h"

namespace {

DWORD FindProcess(const char* exe) {
  DWORD found = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more && !found;
       more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exe) == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

// The system's handle list (Wine answers GetProcessHandleCount for another
// process with 0, but keeps this list).
struct HandleEntry {
  USHORT process;
  USHORT creatorBackTraceIndex;
  UCHAR objectType;
  UCHAR attributes;
  USHORT value;
  PVOID object;
  ULONG grantedAccess;
};
struct HandleList {
  ULONG count;
  HandleEntry entries[1];
};

DWORD CountHandles(DWORD pid) {
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  const ULONG kSystemHandleInformation = 16;
  std::string buffer(1 << 20, '\0');
  ULONG needed = 0;
  LONG status;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<LONG>(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH
    buffer.resize(buffer.size() * 2);
  }
  if (status < 0) return 0;
  const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
  DWORD count = 0;
  for (ULONG i = 0; i < list->count; ++i) {
    if (list->entries[i].process == static_cast<USHORT>(pid)) ++count;
  }
  return count;
}

bool CountInside(HANDLE process, const wchar_t* blockList, SoakCounts& out) {
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SoakCounts), kSoakCountsName);
  if (!mapping) return false;
  auto* counts = static_cast<SoakCounts*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(SoakCounts)));
  bool ok = false;
  if (counts) {
    *counts = {};
    if (blockList) lstrcpynW(counts->blockList, blockList, MAX_PATH);
    wchar_t dll[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, dll, MAX_PATH);
    while (length > 0 && dll[length - 1] != L'\\') --length;
    lstrcpyW(dll + length, L"soak_count.dll");
    SIZE_T bytes = (lstrlenW(dll) + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    if (remote && WriteProcessMemory(process, remote, dll, bytes, nullptr)) {
      auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
      HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr);
      if (thread) {
        WaitForSingleObject(thread, 60000);
        CloseHandle(thread);
      }
      ok = counts->done != 0;
      out = *counts;
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    UnmapViewOfFile(counts);
  }
  CloseHandle(mapping);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) return 2;
  wchar_t blockList[MAX_PATH] = L"";
  if (argc == 3) MultiByteToWideChar(CP_ACP, 0, argv[2], -1, blockList, MAX_PATH);
  DWORD pid = FindProcess(argv[1]);
  if (!pid) return 1;
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  if (!process) return 1;
  SoakCounts counts{};
  counts.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  counts.user = GetGuiResources(process, GR_USEROBJECTS);
  const char* how = "api";
  SoakCounts inside{};
  // Heap figures come from inside the process in any case.
  if (!CountInside(process, argc == 3 ? blockList : nullptr, inside)) return 1;
  if (counts.gdi == 0 && counts.user == 0) {
    how = "inside";
    counts.gdi = inside.gdi;
    counts.user = inside.user;
  }
  DWORD handles = 0;
  if (!GetProcessHandleCount(process, &handles) || handles == 0) handles = CountHandles(pid);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  std::printf("gdi %lu user %lu handles %lu private %llu heapblocks %lu heapbytes %lu committed %lu how %s\n",
              counts.gdi, counts.user, handles, static_cast<unsigned long long>(memory.PrivateUsage),
              inside.heapBlocks, inside.heapBytes, inside.committed, how);
  CloseHandle(process);
  return 0;
}
