// The capture engine's exports: Init and Quit build and tear down the engine
// state, Cheese captures, GiveActiveWindow and Transfer hand its results out.
#include <windows.h>

#include <optional>

#include "capture_rules.h"
#include "capture_win.h"
#include "clipboard_transfer_win.h"
#include "engine_state_win.h"
#include "engine_texts.h"
#include "export_guard_win.h"
#include "hotkey_choice.h"
#include "library_message.h"
#include "msg_form_win.h"
#include "vistlib.h"

// The buffer of GiveActiveWindow is a RECT as the caller knows it, and the
// shipped 32-bit library takes a 32-bit window handle.
static_assert(sizeof(vistrel::Rect) == sizeof(RECT));
#if !defined(_WIN64)
static_assert(sizeof(vistlib::WindowHandle) == 4 && sizeof(HWND) == 4);
#endif

namespace vistlib {
namespace {

void QuitEngine(EngineState& engine) {
  if (!engine.running) return;
  engine.running = false;
  if (Hooks().freeZipComponent) Hooks().freeZipComponent(engine);
  engine.BlankBitmap.reset();
  // The clipboard keeps the capture it was promised, as it would a copy.
  if (engine.CapturePromised) {
    engine.CapturePromised = false;
    RenderEveryPromisedFormat(engine.MsgForm->Handle(), engine.CaptureBitmap);
  }
  engine.CaptureBitmap = Picture();
  // Destroying the message window unregisters the hot key and deletes the atom.
  engine.MsgForm.reset();
  engine.Table = WindowTable{};
  engine.NotifyWindow = nullptr;
}

void InitEngine(EngineState& engine, HWND notifyWindow) {
  // A second Init starts over instead of leaving a second message window
  // behind that keeps the hot key.
  QuitEngine(engine);
  // Every index reads "No Info" until the first capture, so a reader of the
  // table never finds it without names.
  engine.Table.Reset();
  engine.ActiveWindowRect = vistrel::Rect{};
  engine.ForegroundWindow = nullptr;
  engine.MsgForm = std::make_unique<TMsgForm>();
  engine.running = true;
  if (Hooks().createZipComponent) Hooks().createZipComponent(engine);
  SetWindowTextA(engine.MsgForm->Handle(), "");
  engine.MsgForm->RegisterHotkey(notifyWindow);
  SetWindowPos(engine.MsgForm->Handle(), nullptr, 0, 0, 1, 1,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  engine.BlankBitmap.reset();
  if (Hooks().createEditor) Hooks().createEditor(engine);
  engine.CaptureBitmap = Picture();
  for (Bitmap& region : engine.RegionBitmaps) region.reset();
}

}  // namespace
}  // namespace vistlib

extern "C" {

void __stdcall Init(vistlib::WindowHandle notifyWindow) {
  vistlib::GuardedExport("Init", [&] {
    vistlib::InitEngine(vistlib::Engine(), reinterpret_cast<HWND>(notifyWindow));
  });
}

void __stdcall Quit() {
  vistlib::GuardedExport("Quit", [] { vistlib::QuitEngine(vistlib::Engine()); });
}

void __stdcall Cheese(const char* drawCursor) {
  vistlib::GuardedExport("Cheese", [&] {
    vistlib::EngineState& engine = vistlib::Engine();
    if (!engine.running) return;
    vistlib::TakeCapture(engine, vistlib::CursorRequested(drawCursor));
  });
}

void __stdcall GiveActiveWindow(vistrel::Rect* buffer) {
  vistlib::GuardedExport("GiveActiveWindow", [&] {
    if (buffer != nullptr) *buffer = vistlib::Engine().ActiveWindowRect;
  });
}

void __stdcall SetHotkey(const char* keyText) {
  vistlib::GuardedExport("SetHotkey", [&] {
    if (keyText == nullptr) return;
    const std::optional<vistlib::Hotkey> key = vistlib::ParseHotkey(keyText);
    if (!key) return;
    vistlib::EngineState& engine = vistlib::Engine();
    if (engine.CaptureKeyText == keyText) return;
    engine.CaptureKey = *key;
    engine.CaptureKeyText = keyText;
    if (engine.running) engine.MsgForm->ChangeHotkey();
  });
}

void __stdcall Transfer() {
  vistlib::GuardedExport("Transfer", [] {
    vistlib::EngineState& engine = vistlib::Engine();
    if (!engine.running) return;
    // The capture stays as it is until the next one (the editor changes a
    // copy of its own), so the clipboard is promised it and a copy is made
    // only for a program that asks; the editor's image is copied at once.
    const bool promise = engine.EditorImage.Empty();
    HWND owner = engine.MsgForm->Handle();
    const bool placed = promise ? vistlib::PromisePictureOnClipboard(owner, engine.CaptureBitmap)
                                : vistlib::PutPictureOnClipboard(owner, engine.EditorImage);
    engine.CapturePromised = promise && placed && !engine.CaptureBitmap.Empty();
    if (!placed) vistlib::ShowMessage(vistlib::kNoClipboardText);
  });
}

void __stdcall GivePicture(vistlib::BitmapHandle* picture) {
  vistlib::GuardedExport("GivePicture", [&] {
    if (picture == nullptr) return;
    *picture = 0;
    vistlib::EngineState& engine = vistlib::Engine();
    if (!engine.running) return;
    vistlib::Picture copy = vistlib::CopyPicture(vistlib::EditorPicture(engine));
    *picture = reinterpret_cast<vistlib::BitmapHandle>(copy.bitmap.release());
  });
}

}  // extern "C"
