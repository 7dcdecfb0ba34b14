#pragma once
// The printer the wizard prints to: the system's default until the user picks
// another in the printer set-up dialog. Owns the dialog's device handles.
#include <windows.h>

#include <string>

namespace vistrel::wizard {

class PrinterChoice {
 public:
  PrinterChoice() = default;
  ~PrinterChoice();
  PrinterChoice(const PrinterChoice&) = delete;
  PrinterChoice& operator=(const PrinterChoice&) = delete;

  // The text for PrinterDisp.
  std::string Describe();
  // "Printer options...": the system's print set-up dialog over `owner`. A
  // failure of the dialog is shown as "Error # ..." and the choice stays.
  void RunSetupDialog(HWND owner);

  // The chosen printer's device names and mode (GlobalAlloc'd, may be null).
  HGLOBAL DevNames() const { return devNames_; }
  HGLOBAL DevMode() const { return devMode_; }

 private:
  void Replace(HGLOBAL devMode, HGLOBAL devNames);

  HGLOBAL devMode_ = nullptr;
  HGLOBAL devNames_ = nullptr;
};

}  // namespace vistrel::wizard
