#include "fx_exchange_win.h"

#include <utility>

#include "conversion_client_win.h"

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
  long ConvertTempPic(const std::string& command) override {
    PutBitmapOnClipboard(owner_, tempPic_, true);
    DoEvents();
    long result = CallConvertImage(command);
    Replace(CopyBitmapFromClipboard(owner_));
    return result;
  }
  void KeepTempPic() override { Replace(CopyBitmap(tempPic_)); }
  void ShowMessage(const std::string& text) override {
    MessageBoxA(owner_, text.c_str(), kProgramTitle, MB_OK);
  }

 private:
  void Replace(HBITMAP picture) {
    if (!picture) return;
    if (result_) DeleteObject(result_);
    result_ = picture;
  }

  HWND owner_;
  HBITMAP tempPic_;
  HBITMAP result_ = nullptr;
  Hourglass hourglass_;
};

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

void Hourglass::Show() {
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (!shown_) previous_ = previous;
  shown_ = true;
}

void Hourglass::Restore() {
  if (!shown_) return;
  SetCursor(previous_);
  shown_ = false;
}

void DoEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit request for the main loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

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
  HBITMAP copy = CopyBitmap(bitmap);
  if (!copy) return false;
  if (!OpenClipboardFor(owner)) {
    DeleteObject(copy);
    return false;
  }
  if (emptyFirst) EmptyClipboard();
  bool placed = SetClipboardData(CF_BITMAP, copy) != nullptr;  // the clipboard owns it now
  CloseClipboard();
  if (!placed) DeleteObject(copy);
  return placed;
}

HBITMAP CopyBitmapFromClipboard(HWND owner) {
  if (!OpenClipboardFor(owner)) return nullptr;
  HBITMAP copy = CopyBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
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
  if (picture) {
    if (fxPic && fxPic != tempPic) DeleteObject(fxPic);
    fxPic = picture;
  }
  return result;
}

}  // namespace vistrel
