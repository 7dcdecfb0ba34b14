#include "fx_exchange_win.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "clipboard_dib_win.h"
#include "conversion_client_win.h"
#include "event_pump_win.h"
#include "output_picture.h"
#include "output_picture_win.h"
#include "packed_dib.h"

namespace vistrel {

namespace {

ConvertImageFn& ConvertImageBinding() {
  static ConvertImageFn convert;
  return convert;
}

// Another program may hold the clipboard for a moment; try for a while.
bool OpenClipboardFor(HWND owner) {
  DWORD start = GetTickCount();
  while (!OpenClipboard(owner)) {
    if (GetTickCount() - start > 2000) return false;
    Sleep(10);
  }
  return true;
}

class DcGuard {
 public:
  explicit DcGuard(HDC dc) : dc_(dc) {}
  ~DcGuard() {
    if (dc_) DeleteDC(dc_);
  }
  DcGuard(const DcGuard&) = delete;
  DcGuard& operator=(const DcGuard&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectGuard() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  bool ok() const { return old_ && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class FxPortsWin : public FxPorts {
 public:
  FxPortsWin(HWND owner, HBITMAP tempPic) : owner_(owner), tempPic_(tempPic) {}
  ~FxPortsWin() override {
    if (result_) DeleteObject(result_);
  }
  HBITMAP TakeResult() { return std::exchange(result_, nullptr); }

  void ShowHourglass() override { hourglass_.Show(); }
  void RestorePointer() override { hourglass_.Restore(); }
  bool TempPicEmpty() override { return PictureIsEmpty(tempPic_); }
  long ConvertTempPic(const std::string& command) override {
    // Converting whatever the clipboard happens to hold would pass off another picture.
    if (!PutBitmapOnClipboard(owner_, tempPic_, true)) {
      Replace(nullptr);
      return kClipboardBusy;
    }
    DoEvents();
    const long result = CallConvertImage(command);
    // After a refusal the clipboard still holds TempPic, not a converted picture.
    Replace(result == 0 ? CopyBitmapFromClipboard(owner_) : nullptr);
    return result;
  }
  void KeepTempPic() override { Replace(CopyBitmap(tempPic_)); }
  void ClearFxPic() override { Replace(nullptr); }
  void ShowMessage(const std::string& text) override {
    MessageBoxA(owner_, text.c_str(), kProgramTitle, MB_OK);
  }

 private:
  void Replace(HBITMAP picture) {
    if (result_) DeleteObject(result_);
    result_ = picture;
  }

  HWND owner_;
  HBITMAP tempPic_;
  HBITMAP result_ = nullptr;
  Hourglass hourglass_;
};

// The bitmap as a packed 24-bit DIB in movable memory, as the clipboard takes
// it: a quarter smaller than the screen's 32-bit pixels, and read by the
// conversion component without a conversion.
HGLOBAL PackedDib24(HBITMAP bitmap) {
  BITMAP facts{};
  if (!bitmap || !GetObjectA(bitmap, sizeof facts, &facts) || facts.bmWidth <= 0 ||
      facts.bmHeight <= 0) {
    return nullptr;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = facts.bmWidth;
  info.bmiHeader.biHeight = facts.bmHeight;  // bottom-up, as most readers expect
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const uint64_t stride = (uint64_t{static_cast<uint32_t>(facts.bmWidth)} * 3 + 3) & ~uint64_t{3};
  const uint64_t bitsSize = stride * static_cast<uint32_t>(facts.bmHeight);
  if (bitsSize > 0x7FFFFFFF - sizeof info.bmiHeader) return nullptr;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(bitsSize);

  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof info.bmiHeader + static_cast<size_t>(bitsSize));
  if (!memory) return nullptr;
  int lines = 0;
  {
    GlobalLockGuard lock(memory);
    if (auto* base = static_cast<uint8_t*>(lock.Data())) {
      std::memcpy(base, &info.bmiHeader, sizeof info.bmiHeader);
      HDC screen = GetDC(nullptr);
      lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(facts.bmHeight),
                        base + sizeof info.bmiHeader, &info, DIB_RGB_COLORS);
      ReleaseDC(nullptr, screen);
    }
  }
  if (lines != facts.bmHeight) {
    GlobalFree(memory);
    return nullptr;
  }
  return memory;
}

// A device-dependent bitmap made from a packed DIB, or nullptr for a damaged block.
HBITMAP BitmapFromPackedDib(HGLOBAL memory) {
  GlobalLockGuard lock(memory);
  const std::optional<PackedDibLayout> layout = ReadPackedDibLayout(lock.Data(), lock.Size());
  if (!layout) return nullptr;
  const auto* base = static_cast<const uint8_t*>(lock.Data());
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, reinterpret_cast<const BITMAPINFOHEADER*>(base),
                                  CBM_INIT, base + layout->bitsOffset,
                                  reinterpret_cast<const BITMAPINFO*>(base), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace

void SetConvertImage(ConvertImageFn convert) { ConvertImageBinding() = std::move(convert); }

long CallConvertImage(const std::string& command) {
  const ConvertImageFn& convert = ConvertImageBinding();
  try {
    // A component that could not be created answers with an error number.
    if (!convert) return TheConversionComponent().ConvertImage(command);
    return convert(command);
  } catch (...) {
    return -1;
  }
}

Hourglass::Hourglass() = default;

Hourglass::~Hourglass() { Restore(); }

int Hourglass::shownCount_ = 0;

void Hourglass::Show() {
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (!shown_) {
    previous_ = previous;
    ++shownCount_;
  }
  shown_ = true;
}

void Hourglass::Restore() {
  if (!shown_) return;
  SetCursor(previous_);
  shown_ = false;
  --shownCount_;
}

bool Hourglass::AnyShown() { return shownCount_ > 0; }

HBITMAP CopyBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 ||
      info.bmHeight <= 0) {
    return nullptr;
  }
  HDC screen = GetDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen, info.bmWidth, info.bmHeight);
  DcGuard source(CreateCompatibleDC(screen));
  DcGuard target(CreateCompatibleDC(screen));
  ReleaseDC(nullptr, screen);
  if (!copy) return nullptr;
  bool copied = false;
  {
    SelectGuard selectSource(source.get(), bitmap);
    SelectGuard selectTarget(target.get(), copy);
    copied = selectSource.ok() && selectTarget.ok() &&
             BitBlt(target.get(), 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
  }
  if (!copied) {
    DeleteObject(copy);
    return nullptr;
  }
  return copy;
}

bool PutBitmapOnClipboard(HWND owner, HBITMAP bitmap, bool emptyFirst) {
  HGLOBAL dib = PackedDib24(bitmap);
  if (!dib) return false;
  if (!OpenClipboardFor(owner)) {
    GlobalFree(dib);
    return false;
  }
  if (emptyFirst) EmptyClipboard();
  bool placed = SetClipboardData(CF_DIB, dib) != nullptr;  // the clipboard owns it now
  CloseClipboard();
  if (!placed) GlobalFree(dib);
  return placed;
}

bool ClipboardOwnedByThisProcess() {
  DWORD process = 0;
  HWND owner = GetClipboardOwner();
  return owner != nullptr && GetWindowThreadProcessId(owner, &process) != 0 &&
         process == GetCurrentProcessId();
}

HBITMAP CopyBitmapFromClipboard(HWND owner) {
  if (!OpenClipboardFor(owner)) return nullptr;
  HBITMAP copy = nullptr;
  if (DibWasPlaced()) copy = BitmapFromPackedDib(GetClipboardData(CF_DIB));
  if (!copy) copy = CopyBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
  CloseClipboard();
  return copy;
}

char UserDecimalSeparator() {
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 1) {
    return buffer[0];
  }
  return '.';
}

double ScreenTwipsPerPixelX() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

long DoFxWin(HWND owner, const EffectsBoxes& boxes, const UnitScale& unit, HBITMAP tempPic,
             HBITMAP* newFxPic) {
  FxPortsWin ports(owner, tempPic);
  long result = DoFx(boxes, unit, ports);
  *newFxPic = ports.TakeResult();
  return result;
}

long DoFxWin(HWND owner, const EffectsBoxes& boxes, const UnitScale& unit, HBITMAP tempPic,
             HBITMAP& fxPic) {
  HBITMAP picture = nullptr;
  long result = DoFxWin(owner, boxes, unit, tempPic, &picture);
  if (fxPic && fxPic != tempPic) DeleteObject(fxPic);
  fxPic = picture;
  return result;
}

}  // namespace vistrel
