// The end-to-end tests' stand-in for other programs around the wizard's
// hand-offs:
//   handoff_probe clip OUT.bmp     writes the clipboard's CF_DIB as a .bmp file
//   handoff_probe text TEXT        puts text on the clipboard
//   handoff_probe palette          puts a 16-colour palette on the clipboard
//   handoff_probe empty            empties the clipboard
//   handoff_probe ANYTHING ELSE    (as the program registered for a file type)
//                                  writes its command line and working folder
//                                  to opened.txt beside itself
// Exit code 0 on success, 1 on failure.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool OpenClipboardSoon(HWND owner) {
  for (int i = 0; i < 200; ++i, Sleep(25))
    if (OpenClipboard(owner)) return true;
  return false;
}

int WriteClipboardDib(const char* path) {
  if (!OpenClipboardSoon(nullptr)) return 1;
  HGLOBAL dib = GetClipboardData(CF_DIB);
  int result = 1;
  if (dib != nullptr) {
    const auto* data = static_cast<const BYTE*>(GlobalLock(dib));
    const SIZE_T size = GlobalSize(dib);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(data);
    DWORD colours = header->biClrUsed;
    if (colours == 0 && header->biBitCount <= 8) colours = 1u << header->biBitCount;
    DWORD masks = header->biCompression == BI_BITFIELDS ? 12 : 0;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(sizeof file + size);
    file.bfOffBits = static_cast<DWORD>(sizeof file + header->biSize + masks + colours * 4);
    if (FILE* out = std::fopen(path, "wb")) {
      std::fwrite(&file, sizeof file, 1, out);
      std::fwrite(data, 1, size, out);
      result = std::fclose(out) == 0 ? 0 : 1;
    }
    GlobalUnlock(dib);
  }
  CloseClipboard();
  return result;
}

int Put(UINT format, HANDLE data) {
  HWND owner = CreateWindowExA(0, "STATIC", "handoff probe", WS_POPUP, 0, 0, 1, 1, nullptr,
                               nullptr, nullptr, nullptr);
  if (!OpenClipboardSoon(owner)) return 1;
  EmptyClipboard();
  const bool placed = format == 0 || SetClipboardData(format, data) != nullptr;
  CloseClipboard();
  DestroyWindow(owner);
  return placed ? 0 : 1;
}

HANDLE Text(const char* text) {
  const size_t size = std::strlen(text) + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(memory), text, size);
  GlobalUnlock(memory);
  return memory;
}

HANDLE Palette() {
  BYTE block[sizeof(LOGPALETTE) + 16 * sizeof(PALETTEENTRY)] = {};
  auto* logical = reinterpret_cast<LOGPALETTE*>(block);
  logical->palVersion = 0x300;
  logical->palNumEntries = 16;
  for (int i = 0; i < 16; ++i) {
    logical->palPalEntry[i] = {static_cast<BYTE>(i & 1 ? 255 : i * 16),
                               static_cast<BYTE>(i & 2 ? 200 : 40),
                               static_cast<BYTE>(i & 4 ? 255 - i * 8 : i * 8), 0};
  }
  return CreatePalette(logical);
}

int WriteWhatWasReceived() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string out(path);
  out = out.substr(0, out.find_last_of('\\') + 1) + "opened.txt";
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  FILE* file = std::fopen(out.c_str(), "w");
  if (!file) return 1;
  std::fprintf(file, "%s\n%s\n", GetCommandLineA(), folder);
  return std::fclose(file) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "clip" && argc == 3) return WriteClipboardDib(argv[2]);
  if (verb == "text" && argc == 3) return Put(CF_TEXT, Text(argv[2]));
  if (verb == "palette") return Put(CF_PALETTE, Palette());
  if (verb == "empty") return Put(0, nullptr);
  return WriteWhatWasReceived();
}
