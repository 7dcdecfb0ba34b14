#include "mail_settings_finder_win.h"

#include "mail_settings_finder.h"
#include "mail_settings_finder_res.h"
#include "program_settings_win.h"
#include "registry_backend_win.h"
#include "window_thunk_win.h"

namespace vistrel {

namespace {

// MailHelp's lists, alive while the window is open.
class MailHelp {
 public:
  INT_PTR Message(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void ShowEntry(HWND dialog) const;
  void Load(HWND dialog);
  bool UseIt(HWND dialog) const;

  MailSettingsSearch search_;
};

void MailHelp::ShowEntry(HWND dialog) const {
  const LRESULT line = SendDlgItemMessageA(dialog, IDC_PROGLIST, LB_GETCURSEL, 0, 0);
  if (line < 0 || static_cast<size_t>(line) >= search_.found.size()) return;
  SetDlgItemTextA(dialog, IDC_INFO,
                  MailSettingsInfo(search_.found[static_cast<size_t>(line)]).c_str());
}

void MailHelp::Load(HWND dialog) {
  search_ = FindMailSettings(SystemRegistry());
  const HWND list = GetDlgItem(dialog, IDC_PROGLIST);
  for (const FoundMailSettings& entry : search_.found) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.line.c_str()));
  }
  if (search_.selected >= 0) {
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(search_.selected), 0);
    ShowEntry(dialog);
  }
}

bool MailHelp::UseIt(HWND dialog) const {
  const LRESULT line = SendDlgItemMessageA(dialog, IDC_PROGLIST, LB_GETCURSEL, 0, 0);
  return line >= 0 && static_cast<size_t>(line) < search_.found.size() &&
         UseMailSettings(ProgramSettings(), search_.found[static_cast<size_t>(line)]);
}

INT_PTR MailHelp::Message(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Load(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PROGLIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) ShowEntry(dialog);
          return TRUE;
        case IDC_USEIT:
          if (HIWORD(wParam) != BN_CLICKED) break;
          EndDialog(dialog, UseIt(dialog) ? IDOK : IDCANCEL);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool ShowMailSettingsFinder(HWND owner) {
  MailHelp help;
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAILHELP), owner,
                         DialogThunk<MailHelp, &MailHelp::Message>,
                         reinterpret_cast<LPARAM>(&help)) == IDOK;
}

}  // namespace vistrel
