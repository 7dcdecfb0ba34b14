#include "capture_win.h"

#include <optional>
#include <vector>

#include "capture_rules.h"
#include "clipboard_transfer_win.h"
#include "dib_info_win.h"
#include "engine_texts.h"
#include "library_message.h"
#include "monitor_query_win.h"
#include "msg_form_win.h"
#include "window_walk_win.h"

namespace vistlib {
namespace {

vistrel::Rect ToRect(const RECT& r) { return vistrel::Rect{r.left, r.top, r.right, r.bottom}; }

std::optional<vistrel::Rect> RectOf(HWND window) {
  RECT rect{};
  if (window == nullptr || !GetWindowRect(window, &rect)) return std::nullopt;
  return ToRect(rect);
}

// The system palette as a logical palette, read through the message window's
// context; none on a display without one.
Palette SystemPalette(HWND window) {
  WindowDc dc(window);
  if (!dc) return Palette();
  int count = GetDeviceCaps(dc.get(), SIZEPALETTE);
  if (count <= 0) return Palette();
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(count);
  GetSystemPaletteEntries(dc.get(), 0, count, logical->palPalEntry);
  return Palette(CreatePalette(logical));
}

// The cursor as it is now, with its top-left corner at the pointer (where
// the pointer is, not where its hot spot points). `origin` is the screen
// point at the bitmap's top-left pixel.
void DrawCursor(HDC dc, Point origin) {
  CURSORINFO info{};
  info.cbSize = sizeof info;
  if (!GetCursorInfo(&info) || info.hCursor == nullptr || !(info.flags & CURSOR_SHOWING)) return;
  Icon copy(CopyIcon(info.hCursor));
  if (!copy) return;
  DrawIconEx(dc, info.ptScreenPos.x - origin.x, info.ptScreenPos.y - origin.y, copy.get(), 0, 0, 0,
             nullptr, DI_NORMAL);
}

// The bitmap a capture goes into. On a true-colour display it has 24 bits: every
// colour the screen shows, in three quarters of the memory of the display's own
// 32, which counts while the library, the clipboard and the wizard each hold a
// screen of the same capture. A palette display keeps its depth, for which the
// captured palette stands.
Bitmap CaptureTarget(HDC source, int width, int height) {
  if (GetDeviceCaps(source, BITSPIXEL) * GetDeviceCaps(source, PLANES) <= 8)
    return Bitmap(CreateCompatibleBitmap(source, width, height));
  BITMAPINFO info = vistrel::BottomUp24(width, height);
  void* bits = nullptr;
  return Bitmap(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

}  // namespace

Bitmap CopyVirtualScreen(HDC source, const vistrel::Rect& virtualScreen,
                         const std::vector<MonitorInfo>& monitors) {
  const int width = virtualScreen.Width(), height = virtualScreen.Height();
  if (source == nullptr || width <= 0 || height <= 0) return Bitmap();
  Bitmap bitmap = CaptureTarget(source, width, height);
  MemoryDc memory(CreateCompatibleDC(source));
  if (!bitmap || !memory) return Bitmap();
  SelectGuard select(memory.get(), bitmap.get());
  if (!BitBlt(memory.get(), 0, 0, width, height, source, virtualScreen.left, virtualScreen.top,
              SRCCOPY))
    return Bitmap();
  // What the screen device gives where no monitor is, is undefined.
  Brush brush(CreateSolidBrush(kUncoveredColour));
  for (const vistrel::Rect& part : UncoveredParts(virtualScreen, monitors)) {
    const vistrel::Rect r = ToCapturePixels(part, virtualScreen);
    RECT fill{r.left, r.top, r.right, r.bottom};
    FillRect(memory.get(), &fill, brush.get());
  }
  return bitmap;
}

void TakeCapture(EngineState& engine, bool drawCursor) {
  // One screen pixel is one picture pixel on every monitor, and the window
  // table and the active window are measured in the same pixels.
  PhysicalPixels physical;
  // Reset: every index reads "No Info" until the walk names it.
  engine.Table.Reset();

  WindowDc screen(nullptr);
  HWND msgForm = engine.MsgForm->Handle();
  ShowWindow(msgForm, SW_HIDE);

  HWND desktop = GetDesktopWindow();
  HWND foreground = GetForegroundWindow();
  engine.ForegroundWindow = foreground;
  vistrel::Rect desktopRect = RectOf(desktop).value_or(vistrel::Rect{});
  std::optional<vistrel::Rect> foregroundRect;
  if (foreground != nullptr) foregroundRect = RectOf(foreground).value_or(vistrel::Rect{});
  engine.ActiveWindowRect =
      ChooseActiveWindowRect(foregroundRect, desktopRect, engine.ActiveWindowRect);

  // Every monitor is copied; the table's rectangles are in the capture's pixels.
  const DesktopLayout layout = ReadDesktopLayout();
  const Point origin{layout.virtualScreen.left, layout.virtualScreen.top};
  WindowTableBuild build =
      BuildWindowTable(WalkTopLevelWindows(msgForm), reinterpret_cast<uintptr_t>(desktop), origin);
  engine.Table = std::move(build.table);
  engine.PointerMonitor = layout.PointerMonitorInCapture();

  Palette palette = SystemPalette(msgForm);

  // The last capture and the editor's image go before the new one is taken: a
  // new capture replaces both whether it succeeds or not, and holding them
  // meanwhile would double the memory of a screen.
  if (engine.CapturePromised) {
    engine.CapturePromised = false;
    WithdrawPromise(msgForm);
  }
  engine.CaptureBitmap = Picture();
  engine.EditorImage = Picture();
  Picture capture;
  capture.bitmap = CopyVirtualScreen(screen.get(), layout.virtualScreen, layout.monitors);
  const bool copied = !capture.Empty();
  if (copied && drawCursor) {
    MemoryDc memory(CreateCompatibleDC(screen.get()));
    if (memory) {
      SelectGuard select(memory.get(), capture.bitmap.get());
      DrawCursor(memory.get(), origin);
    }
  }
  capture.palette = std::move(palette);
  engine.CaptureBitmap = std::move(capture);
  // The editor's image is the capture until the editor changes it.
  if (Hooks().captureLoaded) Hooks().captureLoaded(engine);

  // Messages come after the copy: a box shown before it could end up in the
  // picture, or leave a hole the windows beneath have not repainted yet.
  if (!copied) ShowMessage(kCaptureMemoryText);
  if (build.tooMany) ShowMessage(kTooManyWindowsText);
}

}  // namespace vistlib
