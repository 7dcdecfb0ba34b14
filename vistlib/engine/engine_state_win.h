#pragma once
// The engine state that lives between the library's calls, one per process.
// The other rooms of the library (editor, zip, clipboard viewer) work on it:
// the editor reads the window table and changes EditorImage, which Transfer
// puts on the clipboard and GivePicture hands out (the capture until the
// editor has changed it); it
// keeps RegionBitmaps and compares table handles with ForegroundWindow.
//
// Rooms plug their objects into Init, Quit and each capture through
// EngineHooks, set once while the library loads, so the engine needs no
// knowledge of them. A room's Win32 object library is linked whole, so a
// registrar in one of its files is enough:
//
//   namespace {
//   const bool registered = [] {
//     vistlib::Hooks().createEditor = [](vistlib::EngineState& engine) { ... };
//     return true;
//   }();
//   }
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "gdi_win.h"
#include "hotkey_choice.h"
#include "msg_form_win.h"
#include "rect.h"
#include "window_table.h"

namespace vistlib {

struct EngineState {
  EngineState();
  ~EngineState();

  bool running = false;  // between Init and Quit

  HWND NotifyWindow = nullptr;
  ATOM HotkeyAtom = 0;
  // The capture key chosen in Setup, and its name there.
  Hotkey CaptureKey;
  std::string CaptureKeyText = kDefaultHotkeyText;
  std::unique_ptr<TMsgForm> MsgForm;

  // Assigning it to a region bitmap empties that bitmap.
  Bitmap BlankBitmap;
  // The last full-screen capture: 24 bits on a true-colour display, the
  // display's depth and its palette on a palette display.
  Picture CaptureBitmap;
  // Transfer promised CaptureBitmap to the clipboard, and the clipboard still
  // holds the promise: the message window renders it on request.
  bool CapturePromised = false;
  // The image the editor left, changed by its operations; empty after each
  // capture, when the editor's image is the capture itself (EditorPicture):
  // most captures never open the editor, and a copy would be a whole screen
  // of memory for nothing.
  Picture EditorImage;
  // Pixels under each table entry, kept by the editor; they outlive Quit.
  std::array<Bitmap, kTableSlots> RegionBitmaps;

  WindowTable Table;
  vistrel::Rect ActiveWindowRect;  // all zero before the first capture
  vistrel::Rect PointerMonitor;    // in capture pixels: where the pointer was at the capture
  HWND ForegroundWindow = nullptr;
};

EngineState& Engine();

// What Transfer hands out: the editor's image, or the capture while the editor
// has not changed it.
const Picture& EditorPicture(const EngineState& engine);

// Where other rooms attach to the engine's life. Each is optional; each runs
// on the caller's thread inside the export, with the state already updated.
struct EngineHooks {
  // Init, right after the hidden message window exists: the zip component,
  // which that window owns.
  std::function<void(EngineState&)> createZipComponent;
  // Quit, before anything else is freed.
  std::function<void(EngineState&)> freeZipComponent;
  // Init, after BlankBitmap: the editor window, created hidden.
  std::function<void(EngineState&)> createEditor;
  // Each capture, once EditorImage holds the new capture: the editor sizes
  // its image to the screen at zoom 1 and shows the new image.
  std::function<void(EngineState&)> captureLoaded;
};

EngineHooks& Hooks();

}  // namespace vistlib
