#include "vistlib_client_win.h"

namespace vistrel {

VistlibClient& VistlibClient::Instance() {
  static VistlibClient client;
  return client;
}

FARPROC VistlibClient::Function(const char* name) {
  if (module_ == nullptr) {
    module_ = LoadLibraryA("vistlib.dll");
    if (module_ == nullptr) {
      MessageBoxA(nullptr, "File not found: vistlib.dll", "Tarnwick Vistrel", MB_OK | MB_ICONSTOP);
      ExitProcess(1);
    }
  }
  FARPROC function = GetProcAddress(module_, name);
  if (function == nullptr) {
    std::string text = std::string("Can't find DLL entry point ") + name + " in vistlib.dll";
    MessageBoxA(nullptr, text.c_str(), "Tarnwick Vistrel", MB_OK | MB_ICONSTOP);
    ExitProcess(1);
  }
  return function;
}

template <typename Fn>
static Fn As(FARPROC function) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(function));
}

void VistlibClient::Init(HWND notifyWindow) {
  As<vistlib::InitFn>(Function("Init"))(reinterpret_cast<vistlib::WindowHandle>(notifyWindow));
}
void VistlibClient::Quit() { As<vistlib::QuitFn>(Function("Quit"))(); }
void VistlibClient::Cheese(const std::string& drawCursor) {
  As<vistlib::CheeseFn>(Function("Cheese"))(drawCursor.c_str());
}
Rect VistlibClient::GiveActiveWindow() {
  Rect rect;
  As<vistlib::GiveActiveWindowFn>(Function("GiveActiveWindow"))(&rect);
  return rect;
}
void VistlibClient::Transfer() { As<vistlib::TransferFn>(Function("Transfer"))(); }
HBITMAP VistlibClient::GivePicture() {
  vistlib::BitmapHandle picture = 0;
  As<vistlib::GivePictureFn>(Function("GivePicture"))(&picture);
  return reinterpret_cast<HBITMAP>(picture);
}
void VistlibClient::VisEdit(const std::string& divisor, const std::string& multiplier,
                            const std::string& unit) {
  As<vistlib::VisEditFn>(Function("VisEdit"))(divisor.c_str(), multiplier.c_str(), unit.c_str());
}
void VistlibClient::AddToZip(const std::string& fileSpec, const std::string& zipPath) {
  As<vistlib::AddToZipFn>(Function("AddToZip"))(fileSpec.c_str(), zipPath.c_str());
}
void VistlibClient::MakeExe(const std::string& zipPath) {
  As<vistlib::MakeExeFn>(Function("MakeExe"))(zipPath.c_str());
}
void VistlibClient::SetHotkey(const std::string& keyText) {
  As<vistlib::SetHotkeyFn>(Function("SetHotkey"))(keyText.c_str());
}
void VistlibClient::ShowClipBoard() { As<vistlib::ShowClipBoardFn>(Function("ShowClipBoard"))(); }

}  // namespace vistrel
