#include "zip_message_win.h"

namespace vistlib::zip {

void ShowZipMessage(HWND owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), "Tarnwick Vistrel", MB_OK);
}

}  // namespace vistlib::zip
