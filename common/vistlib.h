#pragma once
// The exports of vistlib.dll: undecorated names, stdcall, ANSI strings. The
// library reads string arguments only during the call. No export returns a
// result; failures are shown to the user in message boxes.
//
// This header is portable: handles are passed as 32-bit values (the library is
// 32-bit only), so it can be included without <windows.h>.
#include <cstdint>

#include "rect.h"

#if defined(_WIN32)
#define VISTLIB_CALL __stdcall
#else
#define VISTLIB_CALL
#endif

namespace vistlib {

using WindowHandle = uintptr_t;
using BitmapHandle = uintptr_t;

// Function types, for the program's by-name loader.
using InitFn = void(VISTLIB_CALL*)(WindowHandle notifyWindow);
using QuitFn = void(VISTLIB_CALL*)();
using CheeseFn = void(VISTLIB_CALL*)(const char* drawCursor);
using GiveActiveWindowFn = void(VISTLIB_CALL*)(vistrel::Rect* buffer);
using TransferFn = void(VISTLIB_CALL*)();
// A copy of the picture Transfer puts on the clipboard, handed to the caller
// (who deletes it) without the clipboard: 0 when there is no picture or no
// memory for the copy.
using GivePictureFn = void(VISTLIB_CALL*)(BitmapHandle* picture);
using VisEditFn = void(VISTLIB_CALL*)(const char* scaleDivisor, const char* scaleMultiplier,
                                      const char* unitName);
using AddToZipFn = void(VISTLIB_CALL*)(const char* fileSpec, const char* zipPath);
using MakeExeFn = void(VISTLIB_CALL*)(const char* zipPath);
using ShowClipBoardFn = void(VISTLIB_CALL*)();
// The capture key by its name in Setup ("Print Screen", "Ctrl+Shift+S", ...);
// a name that is none of the choices keeps the key as it is. Before Init it
// only chooses the key Init takes.
using SetHotkeyFn = void(VISTLIB_CALL*)(const char* keyText);

}  // namespace vistlib

#if defined(_WIN32)
// Declarations for the library's own definitions (exported through vistlib.def).
extern "C" {
void VISTLIB_CALL Init(vistlib::WindowHandle notifyWindow);
void VISTLIB_CALL Quit();
void VISTLIB_CALL Cheese(const char* drawCursor);
void VISTLIB_CALL GiveActiveWindow(vistrel::Rect* buffer);
void VISTLIB_CALL Transfer();
void VISTLIB_CALL GivePicture(vistlib::BitmapHandle* picture);
void VISTLIB_CALL VisEdit(const char* scaleDivisor, const char* scaleMultiplier,
                          const char* unitName);
void VISTLIB_CALL AddToZip(const char* fileSpec, const char* zipPath);
void VISTLIB_CALL MakeExe(const char* zipPath);
void VISTLIB_CALL ShowClipBoard();
void VISTLIB_CALL SetHotkey(const char* keyText);
}
#endif
