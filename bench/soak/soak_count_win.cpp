// Loaded into the program under test by soak_probe (CreateRemoteThread on
// LoadLibraryW) where GetGuiResources cannot tell (Wine answers 0): counts
// the process's own GDI and USER objects from inside it, writes the counts
// into the probe's shared memory and declines to stay loaded.
#include <windows.h>

#include "soak_counts.h"
#include "soak_heaps_win.h"

namespace {

// Handles are looked up by their low word; a high word of 0 stands for any
// generation, so every table slot can be tried.
HANDLE Slot(unsigned slot) { return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(slot)); }

unsigned CountGdi() {
  unsigned count = 0;
  for (unsigned slot = 1; slot <= 0xffff; ++slot) {
    if (GetObjectType(static_cast<HGDIOBJ>(Slot(slot))) != 0) ++count;
  }
  return count;
}

bool OwnIcon(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return true;
}

// Windows of this process, menus and icons or cursors.
unsigned CountUser() {
  DWORD self = GetCurrentProcessId();
  unsigned count = 0;
  for (unsigned slot = 0x20; slot <= 0xffff; slot += 2) {
    HANDLE handle = Slot(slot);
    HWND window = static_cast<HWND>(handle);
    if (IsWindow(window)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == self) ++count;
    } else if (IsMenu(static_cast<HMENU>(handle)) || OwnIcon(static_cast<HICON>(handle))) {
      ++count;
    }
  }
  return count;
}

// Every busy block of every heap; with a list file, one line per block:
// heap, address, size and its first bytes, so that blocks that stay from one
// sample to the next can be told apart and recognised.
void CountHeaps(SoakCounts& counts) {
  HANDLE list = INVALID_HANDLE_VALUE;
  if (counts.blockList[0]) {
    list = CreateFileW(counts.blockList, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  }
  HeapTotals totals = WalkBusyBlocks([list](DWORD heap, const PROCESS_HEAP_ENTRY& entry) {
    if (list == INVALID_HANDLE_VALUE) return;
    char line[200];
    int length = wsprintfA(line, "%lu %p %lu ", heap, entry.lpData, entry.cbData);
    const auto* bytes = static_cast<const unsigned char*>(entry.lpData);
    for (DWORD i = 0; i < entry.cbData && i < 64; ++i) length += wsprintfA(line + length, "%02x", bytes[i]);
    line[length++] = '\n';
    DWORD written = 0;
    WriteFile(list, line, length, &written, nullptr);
  });
  counts.heapBlocks = totals.blocks;
  counts.heapBytes = totals.bytes;
  if (list != INVALID_HANDLE_VALUE) CloseHandle(list);
}

DWORD CommittedPrivate() {
  DWORD total = 0;
  MEMORY_BASIC_INFORMATION info{};
  UINT_PTR at = 0;
  while (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) == sizeof info) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    UINT_PTR next = reinterpret_cast<UINT_PTR>(info.BaseAddress) + info.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kSoakCountsName);
  if (mapping) {
    auto* counts = static_cast<SoakCounts*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(SoakCounts)));
    if (counts) {
      counts->gdi = CountGdi();
      counts->user = CountUser();
      CountHeaps(*counts);
      counts->committed = CommittedPrivate();
      counts->done = 1;
      UnmapViewOfFile(counts);
    }
    CloseHandle(mapping);
  }
  return FALSE;  // counted: unload again
}
