// Loaded into the program under test by soak_probe (CreateRemoteThread on
// LoadLibraryW) where GetGuiResources cannot tell (Wine answers 0): counts
// the process's own GDI and USER objects from inside it, writes the counts
// into the probe's shared memory and declines to stay loaded.
#include <windows.h>

#include "soak_counts.h"

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

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kSoakCountsName);
  if (mapping) {
    auto* counts = static_cast<SoakCounts*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(SoakCounts)));
    if (counts) {
      counts->gdi = CountGdi();
      counts->user = CountUser();
      counts->done = 1;
      UnmapViewOfFile(counts);
    }
    CloseHandle(mapping);
  }
  return FALSE;  // counted: unload again
}
