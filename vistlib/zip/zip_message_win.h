#pragma once
#include <windows.h>

#include <string>

namespace vistlib::zip {

// Every message box of the zip component goes through here.
void ShowZipMessage(HWND owner, const std::string& text);

}  // namespace vistlib::zip
