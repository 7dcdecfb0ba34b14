// The soak's peer: the system calls of one capture and nothing of ours. Each
// round copies the screen into a bitmap, puts it on the clipboard as CF_BITMAP
// and reads it back, puts a packed DIB of it there as CF_DIB and reads that
// back (the program's capture hand-off and the conversion component's read),
// and lists the top-level windows with their titles.
//
// Driven through its standard streams: each line "<n>" runs n rounds, then
// one line is printed: heapblocks <n> heapbytes <n> (busy blocks of all the
// process's heaps). An empty line or the end of input ends it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "soak_heaps_win.h"

namespace {

HBITMAP CopyScreen() {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HGLOBAL PackedDib(HBITMAP bitmap) {
  BITMAP facts{};
  GetObjectW(bitmap, sizeof facts, &facts);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = facts.bmWidth;
  header.biHeight = facts.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const SIZE_T stride = (static_cast<SIZE_T>(facts.bmWidth) * 3 + 3) & ~SIZE_T{3};
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof header + stride * facts.bmHeight);
  if (!memory) return nullptr;
  auto* bytes = static_cast<BYTE*>(GlobalLock(memory));
  CopyMemory(bytes, &header, sizeof header);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, facts.bmHeight, bytes + sizeof header, reinterpret_cast<BITMAPINFO*>(bytes),
            DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  GlobalUnlock(memory);
  return memory;
}

bool Put(HWND owner, UINT format, HANDLE data) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool placed = SetClipboardData(format, data) != nullptr;
  CloseClipboard();
  return placed;
}

HANDLE Get(HWND owner, UINT format) {
  if (!OpenClipboard(owner)) return nullptr;
  HANDLE data = GetClipboardData(format);
  CloseClipboard();
  return data;
}

BOOL CALLBACK ListWindow(HWND window, LPARAM count) {
  char title[512];
  GetWindowTextA(window, title, sizeof title);
  RECT rect;
  GetWindowRect(window, &rect);
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

void Round(HWND owner) {
  HBITMAP bitmap = CopyScreen();
  if (!Put(owner, CF_BITMAP, bitmap)) DeleteObject(bitmap);
  HGLOBAL dib = nullptr;
  if (HANDLE held = Get(owner, CF_BITMAP)) dib = PackedDib(static_cast<HBITMAP>(held));
  if (dib && !Put(owner, CF_DIB, dib)) GlobalFree(dib);
  if (HANDLE held = Get(owner, CF_DIB)) {
    GlobalLock(held);
    GlobalUnlock(held);
  }
  int windows = 0;
  EnumWindows(ListWindow, reinterpret_cast<LPARAM>(&windows));
}

void PrintHeaps() {
  HeapTotals totals = WalkBusyBlocks([](DWORD, const PROCESS_HEAP_ENTRY&) {});
  std::printf("heapblocks %lu heapbytes %lu\n", totals.blocks, totals.bytes);
  std::fflush(stdout);
}

}  // namespace

int main() {
  HWND owner = CreateWindowExW(0, L"STATIC", L"soak peer", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!owner) return 1;
  char line[32];
  while (std::fgets(line, sizeof line, stdin)) {
    const int rounds = std::atoi(line);
    if (rounds <= 0) break;
    for (int i = 0; i < rounds; ++i) Round(owner);
    PrintHeaps();
  }
  DestroyWindow(owner);
  return 0;
}
