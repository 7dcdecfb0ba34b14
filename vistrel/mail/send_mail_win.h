#pragma once
// The mail page's "&Send Mail" on the real system: its controls, the output
// picture, the conversion component, the capture library's packer, Winsock.
#include <windows.h>

#include <functional>

namespace vistrel {

struct MailPageControls {
  HWND mailTo = nullptr;  // the combo box; a new recipient is added to its list
  HWND subject = nullptr;
  HWND msgBody = nullptr;
  HWND compressMail = nullptr;
  HWND compileZipMail = nullptr;
  HWND fileFormat = nullptr;
};

// The send operation. It lets events run: its callers refuse commands meanwhile.
// `openSetupDialog` shows the setup dialog modally, for missing mail settings.
void SendMailFromPage(HWND owner, const MailPageControls& page, HBITMAP fxPic,
                      const std::function<void(HWND owner)>& openSetupDialog);

}  // namespace vistrel
