#pragma once
// MailForm, the progress window of a send: the latest status line, the
// progress bar with its percentage, every line of this send, and the box that
// adds the server's dialogue (and writes "MailDbg.txt").
#include <windows.h>

#include <string>

namespace vistrel {

class MailForm {
 public:
  // Shows the window centred on the screen (creating it when it is not open),
  // its box set from "Extended Server Info".
  static void Show(HWND owner);
  // Stores the box and closes the window.
  static void Close();
  static bool IsOpen();
  static HWND Window();

  static void AddStatus(const std::string& text);
  static void SetProgress(int percent);
  static bool MoreInfo();
};

}  // namespace vistrel
