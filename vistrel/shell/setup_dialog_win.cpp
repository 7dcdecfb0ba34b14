#include "setup_dialog_win.h"

#include <string>

#include "autostart_win.h"
#include "dpi_win.h"
#include "hotkey_choice.h"
#include "mail_password_win.h"
#include "mail_settings_finder_win.h"
#include "program_settings_win.h"
#include "registry_backend_win.h"
#include "setup_dialog_res.h"
#include "setup_settings.h"
#include "shell_forms_win.h"
#include "shell_state.h"
#include "vistlib_client_win.h"
#include "window_thunk_win.h"
#include "wizard_win.h"

namespace vistrel {

namespace {

constexpr const char* kScaleSystemNames[] = {"Pixel", "Inch", "Millimeter", "Centimeter", "Twip"};
// The encryption list, in the order of mail::Security, and each choice's usual port.
constexpr const char* kSecurityNames[] = {"None", "STARTTLS", "TLS"};
constexpr const char* kSecurityPorts[] = {"25", "587", "465"};

// Shows the hourglass until it goes out of scope.
class Hourglass {
 public:
  Hourglass() : saved_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~Hourglass() { SetCursor(saved_); }
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;

 private:
  HCURSOR saved_;
};

std::string ItemText(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(
      static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void ShowMailFields(HWND dialog, const SetupValues& values) {
  SetDlgItemTextA(dialog, IDC_SMTPSERVER, values.smtpServer.c_str());
  SetDlgItemTextA(dialog, IDC_MAILADDRESS, values.mailAddress.c_str());
  SetDlgItemTextA(dialog, IDC_SMTPPORT, values.smtpPort.c_str());
  SendDlgItemMessageA(dialog, IDC_SMTPSECURITY, CB_SETCURSEL,
                      static_cast<WPARAM>(values.smtpSecurity), 0);
  SetDlgItemTextA(dialog, IDC_SMTPUSER, values.smtpUser.c_str());
  SetDlgItemTextA(dialog, IDC_SMTPTIMEOUT, values.replyLimit.c_str());
  std::string password = RevealPassword(values.smtpPasswordStored);
  SetDlgItemTextA(dialog, IDC_SMTPPASSWORD, password.c_str());
  SecureZeroMemory(password.data(), password.size());
}

// A new encryption choice brings its usual port, unless the user chose another port.
void SecurityChosen(HWND dialog) {
  const LRESULT chosen = SendDlgItemMessageA(dialog, IDC_SMTPSECURITY, CB_GETCURSEL, 0, 0);
  if (chosen < 0 || chosen > 2) return;
  const std::string port = ItemText(dialog, IDC_SMTPPORT);
  for (const char* usual : kSecurityPorts) {
    if (port.empty() || port == usual) {
      SetDlgItemTextA(dialog, IDC_SMTPPORT, kSecurityPorts[chosen]);
      return;
    }
  }
}

void Load(HWND dialog) {
  Hourglass hourglass;
  const HWND scaleSys = GetDlgItem(dialog, IDC_SCALESYS);
  for (const char* name : kScaleSystemNames) {
    SendMessageA(scaleSys, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  for (const char* name : kSecurityNames) {
    SendDlgItemMessageA(dialog, IDC_SMTPSECURITY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  const SetupValues values = LoadSetupSettings(ProgramSettings(), SystemRegistry(),
                                               ExpectedAutostartData(), [] { DialogOpen = true; });
  SendMessageA(scaleSys, CB_SETCURSEL, static_cast<WPARAM>(values.scaleSystem), 0);
  ShowMailFields(dialog, values);
  for (int page = 0; page < kSetupPageCount; ++page) {
    Check(dialog, IDC_NOTSHOW0 + page, values.notShow[page]);
  }
  Check(dialog, IDC_ENDAFTERSHOT, values.endAfterShot);
  Check(dialog, IDC_INCLUDEMOUSECURSOR, values.includeMouseCursor);
  Check(dialog, IDC_AUTOSTART, values.autostart);
  const HWND hotkey = GetDlgItem(dialog, IDC_HOTKEY);
  for (const std::string& choice : vistlib::HotkeyChoices()) {
    SendMessageA(hotkey, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
  }
  SendMessageA(hotkey, CB_SELECTSTRING, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(values.hotkey.c_str()));
}

SetupValues Read(HWND dialog) {
  SetupValues values;
  const LRESULT index = SendDlgItemMessageA(dialog, IDC_SCALESYS, CB_GETCURSEL, 0, 0);
  values.scaleSystem = index < 0 ? 0 : static_cast<int>(index);
  values.smtpServer = ItemText(dialog, IDC_SMTPSERVER);
  values.mailAddress = ItemText(dialog, IDC_MAILADDRESS);
  values.smtpPort = ItemText(dialog, IDC_SMTPPORT);
  const LRESULT security = SendDlgItemMessageA(dialog, IDC_SMTPSECURITY, CB_GETCURSEL, 0, 0);
  values.smtpSecurity = security < 0 ? 0 : static_cast<int>(security);
  values.smtpUser = ItemText(dialog, IDC_SMTPUSER);
  values.replyLimit = ItemText(dialog, IDC_SMTPTIMEOUT);
  std::string password = ItemText(dialog, IDC_SMTPPASSWORD);
  values.smtpPasswordStored = ProtectPassword(password);
  SecureZeroMemory(password.data(), password.size());
  for (int page = 0; page < kSetupPageCount; ++page) {
    values.notShow[page] = Checked(dialog, IDC_NOTSHOW0 + page);
  }
  values.endAfterShot = Checked(dialog, IDC_ENDAFTERSHOT);
  values.includeMouseCursor = Checked(dialog, IDC_INCLUDEMOUSECURSOR);
  values.autostart = Checked(dialog, IDC_AUTOSTART);
  const std::string hotkey = ItemText(dialog, IDC_HOTKEY);
  if (vistlib::ParseHotkey(hotkey)) values.hotkey = hotkey;
  return values;
}

void Save(HWND dialog) {
  Hourglass hourglass;
  SetupSaveHost host;
  host.copyNotShow = [](int page, bool on) { wizard::SetNotShow(page, on); };
  // The box shows what is really there when the choice could not be made.
  host.applyAutostart = [dialog](bool wanted) {
    Check(dialog, IDC_AUTOSTART, ApplyAutostartChoice(dialog, wanted));
  };
  host.refreshSizes = [] { wizard::RefreshUnits(); };
  const SetupValues values = Read(dialog);
  SaveSetupSettings(ProgramSettings(), values, host);
  // The new key works at once; the library says when it cannot be had.
  VistlibClient::Instance().SetHotkey(values.hotkey);
  DialogOpen = false;
}

// The finder stores a server and an address, which are kept even if this
// dialog is cancelled. Only those two fields take the stored values, and only
// when the finder stored them: the port, encryption, user and password the
// user typed stay as they are. A port written into the found server's name
// (host:port) is shown in the port field, as when the dialog opens.
void FindMailSettings(HWND dialog) {
  if (!ShowMailSettingsFinder(dialog)) return;
  SettingsStore& store = ProgramSettings();
  SetupValues stored;
  ReloadMailFields(store, stored);
  SetDlgItemTextA(dialog, IDC_SMTPSERVER, stored.smtpServer.c_str());
  SetDlgItemTextA(dialog, IDC_MAILADDRESS, stored.mailAddress.c_str());
  if (stored.smtpPort != store.GetSetting("Mail", "SMTP_Port", "25")) {
    SetDlgItemTextA(dialog, IDC_SMTPPORT, stored.smtpPort.c_str());
  }
}

class SetupDialog {
 public:
  HWND Window() const { return dialog_; }
  INT_PTR Message(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND dialog_ = nullptr;
  int dpi_ = 96;  // what the dialog is laid out for
};

// The one that is open: asked for again, it comes to the front.
SetupDialog* openSetup = nullptr;

INT_PTR SetupDialog::Message(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED:
      RescaleDialog(dialog, dpi_, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      dpi_ = HIWORD(wParam);
      return TRUE;
    case WM_DESTROY:
      ForgetDialogDpi(dialog);
      return FALSE;
    case WM_INITDIALOG:
      TakeOverDialogDpi(dialog);
      dpi_ = WindowDpi(dialog);
      dialog_ = dialog;
      Load(dialog);
      CenterForm(dialog);
      SetForegroundWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_SMTPSECURITY && HIWORD(wParam) == CBN_SELCHANGE) {
        SecurityChosen(dialog);
        return TRUE;
      }
      if (HIWORD(wParam) != BN_CLICKED) break;
      switch (LOWORD(wParam)) {
        case IDOK:
          Save(dialog);
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDC_COMMAND3:
          Save(dialog);
          return TRUE;
        case IDCANCEL:  // "&Cancel", Escape and the close box
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_AUTOFINDEMAIL:
          FindMailSettings(dialog);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void ShowSetupDialog(HWND owner) {
  if (openSetup != nullptr) {
    if (openSetup->Window() != nullptr) SetForegroundWindow(openSetup->Window());
    return;
  }
  SetupDialog setup;
  openSetup = &setup;
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETUP), owner,
                  DialogThunk<SetupDialog, &SetupDialog::Message>,
                  reinterpret_cast<LPARAM>(&setup));
  openSetup = nullptr;
  DialogOpen = false;
}

bool ApplyAutostartChoice(HWND owner, bool wanted) {
  const AutostartOutcome outcome =
      ApplyAutostartBox(SystemRegistry(), wanted, ExpectedAutostartData());
  if (!outcome.failure.empty()) {
    MessageBoxA(owner, outcome.failure.c_str(), kAppTitle, MB_OK | MB_ICONEXCLAMATION);
  }
  return outcome.isSet;
}

}  // namespace vistrel
