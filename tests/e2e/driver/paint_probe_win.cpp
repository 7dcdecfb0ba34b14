// The least Win32 program that opens the kinds of windows the end-to-end
// paint checks look at, with none of the program's code behind them: when one
// of the program's windows stays black and the probe's paints on the same
// display, the fault is the program's.
//
//   paint_probe dialogs   a dialog whose button opens a second, modal dialog
//   paint_probe menu      a window with a tool bar whose drop-down arrow opens
//                         a popup menu, and a text label under the bar; prints
//                         "arrow X Y", the arrow's centre on the screen, for a
//                         real click
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "paint_probe_res.h"

namespace {

INT_PTR CALLBACK InnerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const char* line : {"First line", "Second line"})
      SendDlgItemMessageA(dialog, IDC_PROBE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK OuterProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_PROBE_OPEN:
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROBE_INNER), dialog,
                      InnerProc, 0);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

HMENU popup = nullptr;

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code != TBN_DROPDOWN) break;
      RECT item{};
      SendMessageA(header->hwndFrom, TB_GETRECT, IDC_PROBE_DROP, reinterpret_cast<LPARAM>(&item));
      MapWindowPoints(header->hwndFrom, nullptr, reinterpret_cast<POINT*>(&item), 2);
      TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, item.left, item.bottom, 0, window,
                     nullptr);
      return TBDDRET_DEFAULT;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int MenuWindow() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA cls{};
  cls.lpfnWndProc = MenuWindowProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = "PaintProbeMenu";
  RegisterClassA(&cls);
  HWND window = CreateWindowExA(0, cls.lpszClassName, "Paint Probe Menu",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 100, 500, 300, nullptr,
                                nullptr, cls.hInstance, nullptr);
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE |
                                 CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             4, 2, 400, 24, window, reinterpret_cast<HMENU>(INT_PTR{IDC_PROBE_BAR}),
                             cls.hInstance, nullptr);
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  TBBUTTON button{};
  button.iBitmap = I_IMAGENONE;
  button.idCommand = IDC_PROBE_DROP;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = BTNS_DROPDOWN | BTNS_AUTOSIZE;
  button.iString = reinterpret_cast<INT_PTR>("Colorfill");
  SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
  CreateWindowExA(0, "STATIC", "Label text", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 30, 41,
                  300, 16, window, reinterpret_cast<HMENU>(INT_PTR{IDC_PROBE_LABEL}), cls.hInstance,
                  nullptr);
  popup = CreatePopupMenu();
  for (int i = 0; i < 4; ++i) {
    const char* items[] = {"&White", "&Black", "&Desktop", "&Other..."};
    AppendMenuA(popup, MF_STRING, IDM_PROBE_FIRST + i, items[i]);
  }
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  RECT item{};
  SendMessageA(bar, TB_GETRECT, IDC_PROBE_DROP, reinterpret_cast<LPARAM>(&item));
  MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&item), 2);
  std::printf("arrow %ld %ld\n", item.right - 5, (item.top + item.bottom) / 2);
  std::fflush(stdout);
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  DestroyMenu(popup);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "dialogs") == 0) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROBE_OUTER), nullptr,
                    OuterProc, 0);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "menu") == 0) return MenuWindow();
  return 2;
}
