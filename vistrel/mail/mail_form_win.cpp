#include "mail_form_win.h"

#include <algorithm>

#include "dpi_win.h"
#include "event_pump_win.h"
#include "mail_form_res.h"
#include "program_settings_win.h"
#include "send_mail.h"
#include "window_thunk_win.h"

namespace vistrel {

namespace {

HWND form = nullptr;
int formDpi = 96;  // what the form is laid out for
int percent = 0;
int widestLine = 0;

void DrawProgress(const DRAWITEMSTRUCT& item) {
  RECT box = item.rcItem;
  HDC dc = item.hDC;
  FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
  DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  // The bar grows from the left; at 0 it is hidden and only the label shows.
  RECT bar = box;
  bar.right = box.left + (box.right - box.left) * percent / 100;
  if (percent > 0) FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
  const std::string label = std::to_string(percent) + "%";
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SIZE size{};
  GetTextExtentPoint32A(dc, label.c_str(), static_cast<int>(label.size()), &size);
  const int x = box.left + (box.right - box.left) / 2 - size.cx / 2;
  const int y = box.top + (box.bottom - box.top - size.cy) / 2;
  // The label's part over the bar in the bar's text colour, the rest in the window's.
  RECT rest = box;
  rest.left = bar.right;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  ExtTextOutA(dc, x, y, ETO_CLIPPED, &rest, label.c_str(), static_cast<UINT>(label.size()), nullptr);
  if (percent > 0) {
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &bar, label.c_str(), static_cast<UINT>(label.size()), nullptr);
  }
  SelectObject(dc, oldFont);
}

void StoreMoreInfo() {
  if (!form) return;
  const bool ticked = IsDlgButtonChecked(form, IDC_MAIL_MOREINFO) == BST_CHECKED;
  ProgramSettings().SaveSetting("Divers", "Extended Server Info", ticked ? "1" : "0");
}

INT_PTR CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        TakeOverDialogDpi(window);
        formDpi = WindowDpi(window);
        return TRUE;
      case WM_DPICHANGED:
        RescaleDialog(window, formDpi, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        formDpi = HIWORD(wParam);
        return TRUE;
      case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IDC_MAIL_PICTURE1) return FALSE;
        DrawProgress(*item);
        return TRUE;
      }
      case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
          if (!CloseWaitsForWork(window)) MailForm::Close();
          return TRUE;
        }
        return FALSE;
      case WM_CLOSE:
        if (!CloseWaitsForWork(window)) MailForm::Close();
        return TRUE;
      case WM_DESTROY:
        ForgetDialogDpi(window);
        if (window == form) form = nullptr;
        return FALSE;
    }
  } catch (const std::exception& error) {
    LogCaughtException("mail window", error.what());
  } catch (...) {
    LogCaughtException("mail window", nullptr);
  }
  return FALSE;
}

}  // namespace

void MailForm::Show(HWND owner) {
  if (!form) {
    form = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAILFORM), owner,
                              FormProc, 0);
    if (!form) return;
    widestLine = 0;
    percent = 0;
    const bool ticked =
        ProgramSettings().GetSetting("Divers", "Extended Server Info", "0") == "1";
    CheckDlgButton(form, IDC_MAIL_MOREINFO, ticked ? BST_CHECKED : BST_UNCHECKED);
  }
  RECT frame;
  GetWindowRect(form, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(form, HWND_TOP, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
               GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, 0, 0, SWP_NOSIZE);
  ShowWindow(form, SW_SHOW);
  UpdateWindow(form);
}

void MailForm::Close() {
  if (!form) return;
  StoreMoreInfo();
  HWND closing = form;
  form = nullptr;
  DestroyWindow(closing);
}

bool MailForm::IsOpen() { return form != nullptr; }
HWND MailForm::Window() { return form; }

void MailForm::AddStatus(const std::string& text) {
  if (!form) return;
  SetDlgItemTextA(form, IDC_MAIL_DOCLBL, text.c_str());
  HWND list = GetDlgItem(form, IDC_MAIL_DOCLIST);
  const auto index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index >= 0) SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  // Long server lines scroll sideways instead of being cut off.
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  widestLine = std::max(widestLine, static_cast<int>(size.cx) + 8);
  SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widestLine), 0);
}

void MailForm::SetProgress(int value) {
  if (!form) return;
  const int clamped = std::clamp(value, 0, 100);
  if (clamped == percent) return;
  percent = clamped;
  InvalidateRect(GetDlgItem(form, IDC_MAIL_PICTURE1), nullptr, FALSE);
}

bool MailForm::MoreInfo() {
  return form && IsDlgButtonChecked(form, IDC_MAIL_MOREINFO) == BST_CHECKED;
}

}  // namespace vistrel
