#pragma once
// The busy blocks of every heap of this process, for the soak's counter and
// its peer.
#include <windows.h>

struct HeapTotals {
  DWORD blocks = 0;
  DWORD bytes = 0;
};

// Calls each(heap index, entry) for every busy block and adds them up.
template <typename Each>
HeapTotals WalkBusyBlocks(Each each) {
  HeapTotals totals;
  HANDLE heaps[256];
  DWORD count = GetProcessHeaps(256, heaps);
  if (count > 256) count = 256;
  for (DWORD h = 0; h < count; ++h) {
    if (!HeapLock(heaps[h])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[h], &entry)) {
      if (!(entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)) continue;
      ++totals.blocks;
      totals.bytes += entry.cbData;
      each(h, entry);
    }
    HeapUnlock(heaps[h]);
  }
  return totals;
}
