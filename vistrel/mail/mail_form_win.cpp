#include "mail_form_win.h"

#include <algorithm>

#include "dpi_win.h"
#include "event_pump_win.h"
#include "gdi_handles_win.h"
#include "mail_form_res.h"
#include "program_settings_win.h"
#include "send_mail.h"
#include "window_thunk_win.h"

namespace vistrel {

namespace {

// The one progress window; its state lives as long as the program.
class MailWindow {
 public:
  INT_PTR Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void DrawProgress(const DRAWITEMSTRUCT& item) const;
  void StoreMoreInfo() const;

  HWND form = nullptr;
  int dpi = 96;  // what the form is laid out for
  int percent = 0;
  int widestLine = 0;
};
MailWindow mail;

// The face the control draws its text in.
HFONT FontOf(HWND control) {
  return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
}

void MailWindow::DrawProgress(const DRAWITEMSTRUCT& item) const {
  RECT box = item.rcItem;
  HDC dc = item.hDC;
  FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
  DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  // The bar grows from the left; at 0 it is hidden and only the label shows.
  RECT bar = box;
  bar.right = box.left + (box.right - box.left) * percent / 100;
  if (percent > 0) FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
  const std::string label = std::to_string(percent) + "%";
  const SelectGuard font(dc, FontOf(item.hwndItem));
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
}

void MailWindow::StoreMoreInfo() const {
  if (!form) return;
  const bool ticked = IsDlgButtonChecked(form, IDC_MAIL_MOREINFO) == BST_CHECKED;
  ProgramSettings().SaveSetting("Divers", "Extended Server Info", ticked ? "1" : "0");
}

INT_PTR MailWindow::Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      TakeOverDialogDpi(window);
      dpi = WindowDpi(window);
      return TRUE;
    case WM_DPICHANGED:
      RescaleDialog(window, dpi, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      dpi = HIWORD(wParam);
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
  return FALSE;
}

}  // namespace

void MailForm::Show(HWND owner) {
  if (!mail.form) {
    mail.form = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAILFORM), owner,
                                   DialogThunk<MailWindow, &MailWindow::Message>,
                                   reinterpret_cast<LPARAM>(&mail));
    if (!mail.form) return;
    mail.widestLine = 0;
    mail.percent = 0;
    const bool ticked =
        ProgramSettings().GetSetting("Divers", "Extended Server Info", "0") == "1";
    CheckDlgButton(mail.form, IDC_MAIL_MOREINFO, ticked ? BST_CHECKED : BST_UNCHECKED);
  }
  RECT frame;
  GetWindowRect(mail.form, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(mail.form, HWND_TOP, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
               GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, 0, 0, SWP_NOSIZE);
  ShowWindow(mail.form, SW_SHOW);
  UpdateWindow(mail.form);
}

void MailForm::Close() {
  if (!mail.form) return;
  mail.StoreMoreInfo();
  HWND closing = mail.form;
  mail.form = nullptr;
  DestroyWindow(closing);
}

bool MailForm::IsOpen() { return mail.form != nullptr; }
HWND MailForm::Window() { return mail.form; }

void MailForm::AddStatus(const std::string& text) {
  if (!mail.form) return;
  SetDlgItemTextA(mail.form, IDC_MAIL_DOCLBL, text.c_str());
  HWND list = GetDlgItem(mail.form, IDC_MAIL_DOCLIST);
  const auto index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index >= 0) SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  // Long server lines scroll sideways instead of being cut off.
  SIZE size{};
  {
    const WindowDc dc(list);
    const SelectGuard font(dc.get(), FontOf(list));
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  }
  mail.widestLine = std::max(mail.widestLine, static_cast<int>(size.cx) + 8);
  SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(mail.widestLine), 0);
}

void MailForm::SetProgress(int value) {
  if (!mail.form) return;
  const int clamped = std::clamp(value, 0, 100);
  if (clamped == mail.percent) return;
  mail.percent = clamped;
  InvalidateRect(GetDlgItem(mail.form, IDC_MAIL_PICTURE1), nullptr, FALSE);
}

bool MailForm::MoreInfo() {
  return mail.form && IsDlgButtonChecked(mail.form, IDC_MAIL_MOREINFO) == BST_CHECKED;
}

}  // namespace vistrel
