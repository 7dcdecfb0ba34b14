#pragma once
// The mail page's "&Send Mail" on the real system: its controls, the output
// picture, the conversion component, the capture library's packer, Winsock.
#include <windows.h>

#include <functional>
#include <string>

#include "picture_win.h"

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
// ConvertImage(command) of the conversion component, which the wizard binds.
using ConvertImageFn = std::function<long(const std::string& command)>;

// The send keeps its own reference to `fxPic`; `convert` writes the formats
// other than bmp.
void SendMailFromPage(HWND owner, const MailPageControls& page, SharedPicture fxPic,
                      const ConvertImageFn& convert,
                      const std::function<void(HWND owner)>& openSetupDialog);

}  // namespace vistrel
