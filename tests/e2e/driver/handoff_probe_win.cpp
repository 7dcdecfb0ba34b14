// The end-to-end tests' stand-in for other programs around the wizard's
// hand-offs:
//   handoff_probe clip OUT.bmp     writes the clipboard's CF_DIB as a .bmp file
//   handoff_probe text TEXT        puts text on the clipboard
//   handoff_probe palette          puts a 16-colour palette on the clipboard
//   handoff_probe empty            empties the clipboard
//   handoff_probe foreign          puts another program's picture on the clipboard:
//                                  a green CF_BITMAP, a "PNG" block and a text
//   handoff_probe formats FOLDER   writes each picture format the clipboard gives,
//                                  as a reader asking for it would get it: dib.bmp
//                                  (CF_DIB), dibv5.bmp (CF_DIBV5), bitmap.bmp
//                                  (CF_BITMAP), clip.png ("PNG"), and text.txt when
//                                  a text is there too
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

// A packed DIB as a .bmp file: the file header, then the block as it is.
bool WriteDibFile(HANDLE dib, const std::string& path) {
  if (dib == nullptr) return false;
  const auto* data = static_cast<const BYTE*>(GlobalLock(dib));
  if (data == nullptr) return false;
  const SIZE_T size = GlobalSize(dib);
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(data);
  DWORD colours = header->biClrUsed;
  if (colours == 0 && header->biBitCount <= 8) colours = 1u << header->biBitCount;
  // Only the plain header has its colour masks after it; the later ones hold them.
  DWORD masks = header->biCompression == BI_BITFIELDS && header->biSize == 40 ? 12 : 0;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfSize = static_cast<DWORD>(sizeof file + size);
  file.bfOffBits = static_cast<DWORD>(sizeof file + header->biSize + masks + colours * 4);
  bool written = false;
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(data, 1, size, out);
    written = std::fclose(out) == 0;
  }
  GlobalUnlock(dib);
  return written;
}

int WriteClipboardDib(const char* path) {
  if (!OpenClipboardSoon(nullptr)) return 1;
  const bool written = WriteDibFile(GetClipboardData(CF_DIB), path);
  CloseClipboard();
  return written ? 0 : 1;
}

bool WriteBytes(HANDLE block, const std::string& path) {
  const auto* data = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
  if (data == nullptr) return false;
  bool written = false;
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, GlobalSize(block), out);
    written = std::fclose(out) == 0;
  }
  GlobalUnlock(block);
  return written;
}

// The device-dependent bitmap as a 24-bit .bmp file.
bool WriteBitmapFile(HBITMAP bitmap, const std::string& path) {
  BITMAP facts{};
  if (bitmap == nullptr || !GetObjectA(bitmap, sizeof facts, &facts)) return false;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = facts.bmWidth;
  header.biHeight = facts.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = 24;
  const DWORD stride = (facts.bmWidth * 3 + 3) & ~3;
  header.biSizeImage = stride * facts.bmHeight;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof header + header.biSizeImage);
  if (block == nullptr) return false;
  auto* data = static_cast<BYTE*>(GlobalLock(block));
  std::memcpy(data, &header, sizeof header);
  HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, bitmap, 0, facts.bmHeight, data + sizeof header,
                              reinterpret_cast<BITMAPINFO*>(data), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  GlobalUnlock(block);
  const bool written = lines == facts.bmHeight && WriteDibFile(block, path);
  GlobalFree(block);
  return written;
}

int WriteFormats(const std::string& folder) {
  if (!OpenClipboardSoon(nullptr)) return 1;
  WriteDibFile(GetClipboardData(CF_DIB), folder + "\\dib.bmp");
  WriteDibFile(GetClipboardData(CF_DIBV5), folder + "\\dibv5.bmp");
  WriteBitmapFile(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)), folder + "\\bitmap.bmp");
  WriteBytes(GetClipboardData(RegisterClipboardFormatA("PNG")), folder + "\\clip.png");
  if (IsClipboardFormatAvailable(CF_TEXT))
    WriteBytes(GetClipboardData(CF_TEXT), folder + "\\text.txt");
  CloseClipboard();
  return 0;
}

int Put(UINT format, HANDLE data, UINT format2 = 0, HANDLE data2 = nullptr, UINT format3 = 0,
        HANDLE data3 = nullptr) {
  HWND owner = CreateWindowExA(0, "STATIC", "handoff probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               nullptr, nullptr);
  if (!OpenClipboardSoon(owner)) return 1;
  EmptyClipboard();
  bool placed = format == 0 || SetClipboardData(format, data) != nullptr;
  if (format2 != 0) placed = SetClipboardData(format2, data2) != nullptr && placed;
  if (format3 != 0) placed = SetClipboardData(format3, data3) != nullptr && placed;
  CloseClipboard();
  DestroyWindow(owner);
  return placed ? 0 : 1;
}

HANDLE GreenBitmap() {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 48);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 64, 48};
  HBRUSH brush = CreateSolidBrush(RGB(0, 200, 0));
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HANDLE Block(const void* bytes, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(memory), bytes, size);
  GlobalUnlock(memory);
  return memory;
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
  if (verb == "foreign") {
    static const char png[] = "\x89PNG\r\n\x1a\n another program's picture";
    return Put(CF_BITMAP, GreenBitmap(), RegisterClipboardFormatA("PNG"), Block(png, sizeof png),
               CF_TEXT, Text("another program's text"));
  }
  if (verb == "formats" && argc == 3) return WriteFormats(argv[2]);
  return WriteWhatWasReceived();
}
