#include "mail_settings_finder_win.h"

#include "mail_settings_finder.h"
#include "mail_settings_finder_res.h"
#include "program_settings_win.h"
#include "registry_backend_win.h"

namespace vistrel {

namespace {

// MailHelp's lists, alive while the window is open.
struct MailHelp {
  MailSettingsSearch search;
};

void ShowEntry(HWND dialog, const MailHelp& help) {
  const LRESULT line = SendDlgItemMessageA(dialog, IDC_PROGLIST, LB_GETCURSEL, 0, 0);
  if (line < 0 || static_cast<size_t>(line) >= help.search.found.size()) return;
  SetDlgItemTextA(dialog, IDC_INFO,
                  MailSettingsInfo(help.search.found[static_cast<size_t>(line)]).c_str());
}

void Load(HWND dialog, MailHelp& help) {
  help.search = FindMailSettings(SystemRegistry());
  const HWND list = GetDlgItem(dialog, IDC_PROGLIST);
  for (const FoundMailSettings& entry : help.search.found) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.line.c_str()));
  }
  if (help.search.selected >= 0) {
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(help.search.selected), 0);
    ShowEntry(dialog, help);
  }
}

bool UseIt(HWND dialog, const MailHelp& help) {
  const LRESULT line = SendDlgItemMessageA(dialog, IDC_PROGLIST, LB_GETCURSEL, 0, 0);
  return line >= 0 && static_cast<size_t>(line) < help.search.found.size() &&
         UseMailSettings(ProgramSettings(), help.search.found[static_cast<size_t>(line)]);
}

INT_PTR CALLBACK MailHelpProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    auto* help = reinterpret_cast<MailHelp*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
      case WM_INITDIALOG: {
        help = reinterpret_cast<MailHelp*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        Load(dialog, *help);
        return TRUE;
      }
      case WM_COMMAND:
        if (help == nullptr) break;
        switch (LOWORD(wParam)) {
          case IDC_PROGLIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) ShowEntry(dialog, *help);
            return TRUE;
          case IDC_USEIT:
            if (HIWORD(wParam) != BN_CLICKED) break;
            EndDialog(dialog, UseIt(dialog, *help) ? IDOK : IDCANCEL);
            return TRUE;
          case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
  } catch (...) {
  }
  return FALSE;
}

}  // namespace

bool ShowMailSettingsFinder(HWND owner) {
  MailHelp help;
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAILHELP), owner,
                         MailHelpProc, reinterpret_cast<LPARAM>(&help)) == IDOK;
}

}  // namespace vistrel
