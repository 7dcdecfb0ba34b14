#pragma once
// The DPI a window is shown at, and lengths drawn for 96 dpi turned into its
// pixels. Windows built in code (not from a dialog template, which the system
// scales by its font) place their children with these.
#include <windows.h>

#include "gdi_handles_win.h"

namespace vistrel {

inline constexpr int kLayoutDpi = 96;

// The screen's DPI as this process sees it (the system DPI).
inline int SystemDpi() {
  WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kLayoutDpi;
}

// The DPI of the monitor `window` is laid out for: the window's own where the
// system knows it (Windows 10 and later), else the system DPI.
inline int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (window != nullptr && getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

// A length laid out at 96 dpi, at `dpi`.
inline int Scaled(int length96, int dpi) { return MulDiv(length96, dpi, kLayoutDpi); }

// Takes the place and size WM_DPICHANGED suggests (its lParam) for the new DPI.
inline void TakeSuggestedRect(HWND window, LPARAM lParam) {
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top,
               suggested->right - suggested->left, suggested->bottom - suggested->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// A dialog built from a template follows a change of DPI with RescaleDialog
// below: the system's own re-layout of dialogs (where it has one) is switched
// off, so the two never scale the same dialog twice.
inline void TakeOverDialogDpi(HWND dialog) {
  using Behavior = BOOL(WINAPI*)(HWND, int, int);
  static const auto setBehavior = reinterpret_cast<Behavior>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "SetDialogDpiChangeBehavior")));
  constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
  if (setBehavior != nullptr) setBehavior(dialog, kDisableAll, kDisableAll);
}

namespace detail {

inline constexpr char kDpiFontProperty[] = "Vistrel.DpiFont";

// How much a dialog's places grow across and down: as its face's base units
// (average letter width, line height) do, which is how the dialog manager
// turns a template into pixels. A face's height does not scale exactly with
// the DPI, and a control scaled by the DPI alone could cut its text's last row.
struct Ratio {
  int xNum, xDen, yNum, yDen;
};

inline Ratio BaseUnitRatio(HFONT oldFont, HFONT newFont, int from, int to) {
  const Ratio byDpi{to, from, to, from};
  if (oldFont == nullptr || newFont == nullptr) return byDpi;
  WindowDc screen(nullptr);
  auto units = [&screen](HFONT font, SIZE* base) {
    HGDIOBJ old = SelectObject(screen.get(), font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen.get(), &metrics);
    SIZE letters{};
    GetTextExtentPoint32A(screen.get(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &letters);
    SelectObject(screen.get(), old);
    *base = {letters.cx, metrics.tmHeight};
  };
  SIZE before{}, after{};
  units(oldFont, &before);
  units(newFont, &after);
  if (before.cx <= 0 || before.cy <= 0 || after.cx <= 0 || after.cy <= 0) return byDpi;
  return {after.cx, before.cx, after.cy, before.cy};
}

struct Rescale {
  HWND parent;
  HFONT oldFont;
  HFONT newFont;
  Ratio ratio;
  int from;
  int to;
};

inline Ratio RescaleChildren(HWND parent, int from, int to);

inline BOOL CALLBACK RescaleChild(HWND child, LPARAM data) {
  const auto& r = *reinterpret_cast<const Rescale*>(data);
  if (GetParent(child) != r.parent) return TRUE;  // a grandchild: its own parent moves it
  char cls[16] = "";
  GetClassNameA(child, cls, sizeof cls);
  RECT box{};
  GetWindowRect(child, &box);
  MapWindowPoints(nullptr, r.parent, reinterpret_cast<POINT*>(&box), 2);
  int height = box.bottom - box.top;
  // A combo box's height is that of its open list, not of the closed box.
  RECT dropped{};
  if (lstrcmpiA(cls, "ComboBox") == 0 &&
      SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
    height = dropped.bottom - dropped.top;
  const Ratio& q = r.ratio;
  SetWindowPos(child, nullptr, MulDiv(box.left, q.xNum, q.xDen), MulDiv(box.top, q.yNum, q.yDen),
               MulDiv(box.right - box.left, q.xNum, q.xDen), MulDiv(height, q.yNum, q.yDen),
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (r.newFont != nullptr &&
      reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)) == r.oldFont) {
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(r.newFont), TRUE);
  }
  if (lstrcmpA(cls, "#32770") == 0) RescaleChildren(child, r.from, r.to);  // a page
  return TRUE;
}

}  // namespace detail

// The face a dialog's controls share: the template's, or the one made for
// the last change of DPI (a dialog keeps answering WM_GETFONT with the
// template's own).
inline HFONT DialogFace(HWND dialog) {
  if (auto made = static_cast<HFONT>(GetPropA(dialog, detail::kDpiFontProperty))) return made;
  return reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
}

namespace detail {

// Places `parent`'s children as its face at the new DPI would have, and gives
// those that share its face that face; a child dialog (a page) follows suit.
inline Ratio RescaleChildren(HWND parent, int from, int to) {
  HFONT oldFont = DialogFace(parent);
  HFONT newFont = nullptr;
  LOGFONTA face{};
  if (oldFont != nullptr && GetObjectA(oldFont, sizeof face, &face) == sizeof face) {
    face.lfHeight = MulDiv(face.lfHeight, to, from);
    face.lfWidth = MulDiv(face.lfWidth, to, from);
    newFont = CreateFontIndirectA(&face);
  }
  Rescale r{parent, oldFont, newFont, BaseUnitRatio(oldFont, newFont, from, to), from, to};
  EnumChildWindows(parent, RescaleChild, reinterpret_cast<LPARAM>(&r));
  if (newFont != nullptr) {
    // The face made for the last change goes once nobody uses it; the
    // template's own face belongs to the dialog manager.
    if (auto made = static_cast<HFONT>(GetPropA(parent, kDpiFontProperty))) DeleteObject(made);
    SetPropA(parent, kDpiFontProperty, newFont);
  }
  return r.ratio;
}

}  // namespace detail

// A dialog moved onto a monitor of another DPI: its children placed and its
// face made again for `to` dpi, its client area grown as its face's base units
// did, at the place the system suggests. (The suggested size scales with the
// DPI alone and would leave a dialog's last row outside or a strip unused.)
inline void RescaleDialog(HWND dialog, int from, int to, const RECT& suggested) {
  int width = suggested.right - suggested.left, height = suggested.bottom - suggested.top;
  if (from > 0 && to > 0 && from != to) {
    RECT client{};
    GetClientRect(dialog, &client);
    const detail::Ratio q = detail::RescaleChildren(dialog, from, to);
    RECT frame = {0, 0, MulDiv(client.right, q.xNum, q.xDen),
                  MulDiv(client.bottom, q.yNum, q.yDen)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
    width = frame.right - frame.left;
    height = frame.bottom - frame.top;
  }
  SetWindowPos(dialog, nullptr, suggested.left, suggested.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Frees the face RescaleDialog made for a dialog and its pages; call on WM_DESTROY.
inline void ForgetDialogDpi(HWND dialog) {
  if (auto made = static_cast<HFONT>(RemovePropA(dialog, detail::kDpiFontProperty)))
    DeleteObject(made);
}

}  // namespace vistrel
