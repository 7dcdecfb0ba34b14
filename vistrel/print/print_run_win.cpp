#include "print_run_win.h"

#include <commdlg.h>
#include <shellapi.h>
#include <winspool.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "gdi_handles_win.h"
#include "number_text.h"
#include "picture_win.h"
#include "print_run.h"
#include "program_paths_win.h"
#include "shell_state.h"
#include "startup_texts.h"
#include "system_text_win.h"
#include "user_locale_win.h"
#include "wait_cursor_win.h"

namespace vistrel::print {

namespace {

// Said inside a sentence: without the description's own full stop.
std::string SystemMessage(DWORD error) {
  std::string message = SystemText(error, "error ", "");
  while (!message.empty() && message.back() == '.') message.pop_back();
  return message;
}

int DevicePixels(double twips, double twipsPerPixel) {
  return static_cast<int>(RoundHalfEven(twips / twipsPerPixel));
}

// The printer device context of the chosen printer, else of the default one.
HDC CreatePrinterDc(HGLOBAL devNames, HGLOBAL devMode) {
  std::string device, driver;
  if (auto* names = static_cast<DEVNAMES*>(devNames ? GlobalLock(devNames) : nullptr)) {
    const char* base = reinterpret_cast<const char*>(names);
    driver = base + names->wDriverOffset;
    device = base + names->wDeviceOffset;
    GlobalUnlock(devNames);
  } else {
    char name[512] = {};
    DWORD size = sizeof name;
    if (!GetDefaultPrinterA(name, &size)) return nullptr;
    device = name;
  }
  auto* mode = static_cast<DEVMODEA*>(devMode ? GlobalLock(devMode) : nullptr);
  HDC dc = CreateDCA(driver.empty() ? nullptr : driver.c_str(), device.c_str(), nullptr, mode);
  if (mode) GlobalUnlock(devMode);
  return dc;
}

// The picture as device-independent rows (24-bit, bottom-up), which every
// printer driver takes from StretchDIBits. A bitmap made for the screen cannot
// be selected into a context made for a printer: many drivers refuse that
// pairing, and the page comes out blank.
struct PictureBits {
  BITMAPINFO info{};
  std::vector<uint8_t> rows;
};

bool ReadPictureBits(HBITMAP picture, PictureBits& bits) {
  BITMAP facts{};
  if (picture == nullptr || GetObjectA(picture, sizeof facts, &facts) == 0 || facts.bmWidth <= 0 ||
      facts.bmHeight == 0)
    return false;
  const int height = std::abs(facts.bmHeight);
  BITMAPINFOHEADER& header = bits.info.bmiHeader;
  header.biSize = sizeof header;
  header.biWidth = facts.bmWidth;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(facts.bmWidth) * 3 + 3) & ~size_t{3};
  try {
    bits.rows.resize(stride * height);
  } catch (const std::exception&) {  // a picture too large for the memory left
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  const WindowDc screen(nullptr);
  if (!screen) return false;
  return GetDIBits(screen.get(), picture, 0, height, bits.rows.data(), &bits.info,
                   DIB_RGB_COLORS) == height;
}

class WinPrintPorts final : public PrintPorts {
 public:
  WinPrintPorts(HWND owner, const PrintInputs& inputs) : owner_(owner), inputs_(inputs) {}
  ~WinPrintPorts() override { AbortDoc(); }

  void ShowHourglass() override { hourglass_.Show(); }
  void RestorePointer() override { hourglass_.Restore(); }
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    MessageBoxA(owner_, text.c_str(), caption.c_str(),
                MB_OK | (icon == MessageIcon::Stop ? MB_ICONSTOP : MB_ICONEXCLAMATION));
  }

  std::optional<PrintFailure> PrintSpace() override {
    if (!docOpen_) {
      dc_.reset(CreatePrinterDc(inputs_.devNames, inputs_.devMode));
      if (!dc_) return NoPrinterFailure();
      // Read before the document starts, so that nothing is queued when it fails.
      if (bits_.rows.empty() && !ReadPictureBits(inputs_.fxPic, bits_))
        return PrintFailure{kPrinterErrorCode, "The picture could not be read for the printer (" +
                                                   SystemMessage(GetLastError()) +
                                                   "). Nothing was printed."};
      DOCINFOA doc{};
      doc.cbSize = sizeof doc;
      doc.lpszDocName = kAppTitle;
      if (StartDocA(dc_.get(), &doc) <= 0) return PrinterFailure();
      docOpen_ = true;
      if (StartPage(dc_.get()) <= 0) return PrinterFailure();
    }
    if (!TextOutA(dc_.get(), 0, 0, " ", 1)) return PrinterFailure();
    return std::nullopt;
  }

  Extent PrintableArea() override {
    return {GetDeviceCaps(dc_.get(), HORZRES) * TwipsPerPixelX(),
            GetDeviceCaps(dc_.get(), VERTRES) * TwipsPerPixelY()};
  }

  std::optional<PrintFailure> Draw(const PrintedSize& size) override {
    const BITMAPINFOHEADER& header = bits_.info.bmiHeader;
    // HALFTONE averages the pixels a shrunk picture loses; it needs the brush origin set after it.
    if (SetStretchBltMode(dc_.get(), HALFTONE) == 0 || !SetBrushOrgEx(dc_.get(), 0, 0, nullptr))
      return PrinterFailure();
    const int lines =
        StretchDIBits(dc_.get(), 0, 0, DevicePixels(size.sa, TwipsPerPixelX()),
                      DevicePixels(size.sb, TwipsPerPixelY()), 0, 0, header.biWidth,
                      header.biHeight, bits_.rows.data(), &bits_.info, DIB_RGB_COLORS, SRCCOPY);
    if (lines == 0 || lines == static_cast<int>(GDI_ERROR)) return PrinterFailure();
    return std::nullopt;
  }

  std::optional<PrintFailure> NewPage() override {
    if (EndPage(dc_.get()) <= 0 || StartPage(dc_.get()) <= 0) return PrinterFailure();
    return std::nullopt;
  }

  std::optional<PrintFailure> EndDoc() override {
    const bool pageEnded = EndPage(dc_.get()) > 0;
    if (!pageEnded) return PrinterFailure();
    docOpen_ = false;
    if (::EndDoc(dc_.get()) <= 0) return PrinterFailure();
    return std::nullopt;
  }

  void AbortDoc() override {
    if (docOpen_) ::AbortDoc(dc_.get());
    docOpen_ = false;
  }

  DumpFacts Facts() override {
    DumpFacts facts;
    facts.shape = LastSelectorOutline;
    facts.printerTwipsPerPixelX = TwipsPerPixelX();
    facts.printerTwipsPerPixelY = TwipsPerPixelY();
    facts.screenTwipsPerPixelX = vistrel::TwipsPerPixelX;
    facts.screenTwipsPerPixelY = vistrel::TwipsPerPixelY;
    const Extent area = PrintableArea();
    facts.scaleWidth = area.width;
    facts.scaleHeight = area.height;
    facts.printerHdc = reinterpret_cast<uintptr_t>(dc_.get());
    facts.pictureHdc = reinterpret_cast<uintptr_t>(PictureDc());
    facts.decimalSeparator = UserDecimalSeparator();
    return facts;
  }

  std::optional<PrintFailure> WriteDump(const std::string& text, bool create) override {
    const std::string path = ProgramFolder() + "\\" + kDumpFileName;
    HANDLE file = CreateFileA(path.c_str(), create ? GENERIC_WRITE : FILE_APPEND_DATA,
                              FILE_SHARE_READ, nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
          written != text.size())
        error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
      CloseHandle(file);
    }
    if (error == 0) return std::nullopt;
    return PrintFailure{75, "Path/File access error: the diagnostic file " + path +
                                " could not be written (" + SystemMessage(error) +
                                "). The pages were printed without it."};
  }

  std::optional<PrintFailure> OpenDumpInViewer() override {
    const std::string folder = ProgramFolder();
    const std::string path = folder + "\\" + kDumpFileName;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, nullptr, path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
    if (result > 32) return std::nullopt;
    return PrintFailure{static_cast<int>(result),
                        "The diagnostic file " + path + " could not be opened in a text viewer."};
  }

 private:
  // The picture's own device context, for the dump: one made for the screen, the
  // device its bitmap belongs to. The picture is selected only for a moment, so
  // that it is never held while it is read or drawn.
  HDC PictureDc() {
    if (!pictureDc_) pictureDc_.reset(CreateCompatibleDC(nullptr));
    if (pictureDc_ && inputs_.fxPic != nullptr) {
      const SelectGuard moment(pictureDc_.get(), inputs_.fxPic);
    }
    return pictureDc_.get();
  }
  double TwipsPerPixelX() const { return 1440.0 / GetDeviceCaps(dc_.get(), LOGPIXELSX); }
  double TwipsPerPixelY() const { return 1440.0 / GetDeviceCaps(dc_.get(), LOGPIXELSY); }

  HWND owner_;
  const PrintInputs& inputs_;
  Hourglass hourglass_;
  PrinterDc dc_;
  MemoryDc pictureDc_;
  PictureBits bits_;
  bool docOpen_ = false;
};

}  // namespace

bool PrintFxPic(HWND owner, const PrintInputs& inputs) {
  BITMAP info{};
  if (inputs.fxPic) GetObjectA(inputs.fxPic, sizeof info, &info);
  PrintRequest request;
  request.copiesText = inputs.copiesText;
  request.stretch = inputs.stretch;
  request.picture = {info.bmWidth * static_cast<double>(vistrel::TwipsPerPixelX),
                     std::abs(info.bmHeight) * static_cast<double>(vistrel::TwipsPerPixelY)};
  request.pictureEmpty = PictureIsEmpty(inputs.fxPic);
  request.debugMode = IsDebugMode(ArgumentsOf(GetCommandLineA()));
  WinPrintPorts ports(owner, inputs);
  return PrintRun(request, ports);
}

}  // namespace vistrel::print
