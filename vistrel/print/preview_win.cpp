#include "preview_win.h"

#include <windowsx.h>

#include <cmath>
#include <memory>
#include <string>

#include "dpi_win.h"
#include "event_pump_win.h"
#include "gdi_handles_win.h"
#include "number_text.h"
#include "pointer_images_win.h"
#include "preview_model.h"
#include "program_settings_win.h"
#include "shell_state.h"
#include "user_locale_win.h"
#include "wait_cursor_win.h"
#include "window_text_win.h"
#include "window_thunk_win.h"

namespace vistrel::print {

namespace {

constexpr char kPreviewClass[] = "VistrelPreview";
constexpr char kProjektionClass[] = "VistrelPreviewPicture";

int ToPixels(double twips, double twipsPerPixel) {
  return static_cast<int>(RoundHalfEven(twips / twipsPerPixel));
}

class Preview {
 public:
  static Preview* Open();
  static Preview* Current() { return current_.get(); }

  void Load(const std::function<SharedPicture()>& makeFxPic);
  void Hide() { ShowWindow(window_, SW_HIDE); }

 private:
  LRESULT FrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ProjektionMessage(HWND view, UINT message, WPARAM wParam, LPARAM lParam);
  static bool RegisterClasses();
  bool Create();
  void Close();
  void SetCaption(const std::string& text) { SetWindowTextA(window_, text.c_str()); }
  std::string Caption() const;
  LRESULT Projektion(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  static std::unique_ptr<Preview> current_;
  HWND window_ = nullptr;
  HWND projektion_ = nullptr;
  SharedPicture picture_;
  HCURSOR pointer_ = nullptr;  // the one shown now: MPointer(0) or (1)
  PointerImages pointers_;
  PreviewDrag drag_;
};

std::unique_ptr<Preview> Preview::current_;

bool Preview::RegisterClasses() {
  static bool registered = false;
  if (registered) return true;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA window{};
  window.cbSize = sizeof window;
  window.lpfnWndProc = WindowThunk<Preview, &Preview::FrameMessage>;
  window.hInstance = instance;
  window.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  window.hIcon = LoadIcon(instance, MAKEINTRESOURCE(1));
  window.lpszClassName = kPreviewClass;
  WNDCLASSEXA picture{};
  picture.cbSize = sizeof picture;
  picture.lpfnWndProc = WindowThunk<Preview, &Preview::ProjektionMessage>;
  picture.hInstance = instance;
  picture.lpszClassName = kProjektionClass;
  registered = RegisterClassExA(&window) && RegisterClassExA(&picture);
  return registered;
}

Preview* Preview::Open() {
  if (current_) return current_.get();
  auto preview = std::make_unique<Preview>();
  if (!RegisterClasses() || !preview->Create()) return nullptr;
  current_ = std::move(preview);
  return current_.get();
}

bool Preview::Create() {
  const double tx = vistrel::TwipsPerPixelX, ty = vistrel::TwipsPerPixelY;
  const PreviewPlacement at = LoadPreviewPlacement(
      ProgramSettings(), GetSystemMetrics(SM_CXSCREEN) * tx, GetSystemMetrics(SM_CYSCREEN) * ty);
  window_ = CreateWindowExA(0, kPreviewClass, kPreviewCaption, WS_OVERLAPPEDWINDOW,
                            ToPixels(at.left, tx), ToPixels(at.top, ty), ToPixels(at.width, tx),
                            ToPixels(at.height, ty), nullptr, nullptr, GetModuleHandleA(nullptr),
                            this);
  if (window_ == nullptr) return false;
  projektion_ = CreateWindowExA(0, kProjektionClass, "projektion", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                0, window_, nullptr, GetModuleHandleA(nullptr), this);
  if (projektion_ == nullptr) return false;
  pointers_ = MakePointerImages(GetModuleHandleA(nullptr));
  pointer_ = pointers_.normal;
  return true;
}

std::string Preview::Caption() const { return WindowText(window_); }

void Preview::Load(const std::function<SharedPicture()>& makeFxPic) {
  // The window must outlive its load: a close meanwhile waits for it.
  WorkScope work;
  Hourglass hourglass;
  hourglass.Show();
  ShowWindow(window_, IsWindowVisible(window_) ? SW_SHOW : SW_SHOWNORMAL);
  SetCaption(Caption() + kLoadingSuffix);
  DoEvents();
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (SharedPicture fxPic = makeFxPic ? makeFxPic() : nullptr) {
    picture_ = std::move(fxPic);
    BITMAP info{};
    GetObjectA(picture_->Handle(), sizeof info, &info);
    SetWindowPos(projektion_, nullptr, 0, 0, info.bmWidth, std::abs(info.bmHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(projektion_, nullptr, FALSE);
  }
  const std::string caption = Caption();
  const size_t keep = caption.size() >= sizeof kLoadingSuffix - 1
                          ? caption.size() - (sizeof kLoadingSuffix - 1)
                          : 0;
  SetCaption(caption.substr(0, keep));
}

void Preview::Close() {
  RECT frame;
  GetWindowRect(window_, &frame);
  const double tx = vistrel::TwipsPerPixelX, ty = vistrel::TwipsPerPixelY;
  PreviewPlacement at;
  at.height = (frame.bottom - frame.top) * ty;
  at.width = (frame.right - frame.left) * tx;
  at.top = frame.top * ty;
  at.left = frame.left * tx;
  SavePreviewPlacement(ProgramSettings(), at, UserDecimalSeparator());
  DestroyWindow(window_);
}

void Preview::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(projektion_, &ps);
  if (picture_) {
    MemoryDc source(CreateCompatibleDC(dc));
    SelectGuard select(source.get(), picture_->Handle());
    BITMAP info{};
    GetObjectA(picture_->Handle(), sizeof info, &info);
    BitBlt(dc, 0, 0, info.bmWidth, std::abs(info.bmHeight), source.get(), 0, 0, SRCCOPY);
  }
  EndPaint(projektion_, &ps);
}

LRESULT Preview::Projektion(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETCURSOR:
      SetCursor(Hourglass::AnyShown() ? LoadCursor(nullptr, IDC_WAIT) : pointer_);
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      SetCapture(projektion_);
      pointer_ = pointers_.drag;
      SetCursor(pointer_);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
      pointer_ = pointers_.normal;
      SetCursor(pointer_);
      return 0;
    case WM_MOUSEMOVE: {
      const bool pressed = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
      const auto shift = drag_.Move(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), pressed);
      if (!shift) return 0;
      RECT at;
      GetWindowRect(projektion_, &at);
      MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&at), 2);
      drag_.SetBusy(true);
      SetWindowPos(projektion_, nullptr, at.left + static_cast<int>(shift->dx),
                   at.top + static_cast<int>(shift->dy), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      {
        WorkScope work;
        DoEvents();
      }
      drag_.SetBusy(false);
      return 0;
    }
  }
  return DefWindowProcA(projektion_, message, wParam, lParam);
}

LRESULT Preview::FrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    if (!CloseWaitsForWork(window)) Close();
    return 0;
  }
  if (message == WM_DPICHANGED) {
    // The picture is shown pixel for pixel at any DPI; only the frame takes
    // the size the system suggests on the new monitor.
    vistrel::TakeSuggestedRect(window, lParam);
    return 0;
  }
  if (message == WM_NCDESTROY && current_.get() == this) {
    picture_.reset();
    DestroyPointerImages(pointers_);
    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    current_.reset();  // the last use of this object
    return result;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Preview::ProjektionMessage(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  if (projektion_ == view) return Projektion(message, wParam, lParam);
  return DefWindowProcA(view, message, wParam, lParam);
}

}  // namespace

void OpenOutputPreview(const std::function<SharedPicture()>& makeFxPic) {
  if (Preview* preview = Preview::Open()) preview->Load(makeFxPic);
}

void HideOutputPreview() {
  if (Preview* preview = Preview::Current()) preview->Hide();
}

}  // namespace vistrel::print
