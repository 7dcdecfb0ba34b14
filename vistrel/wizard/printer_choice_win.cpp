#include "printer_choice_win.h"

#include <cderr.h>
#include <commdlg.h>

#include "printer_choice.h"
#include "shell_state.h"

namespace vistrel::wizard {

namespace {

PrinterFacts FactsFrom(HGLOBAL devNames) {
  PrinterFacts facts;
  auto* names = static_cast<DEVNAMES*>(GlobalLock(devNames));
  if (names == nullptr) return facts;
  const char* base = reinterpret_cast<const char*>(names);
  facts.device = base + names->wDeviceOffset;
  facts.port = base + names->wOutputOffset;
  facts.read = true;
  GlobalUnlock(devNames);
  return facts;
}

}  // namespace

PrinterChoice::~PrinterChoice() { Replace(nullptr, nullptr); }

void PrinterChoice::Replace(HGLOBAL devMode, HGLOBAL devNames) {
  if (devMode_ != nullptr && devMode_ != devMode) GlobalFree(devMode_);
  if (devNames_ != nullptr && devNames_ != devNames) GlobalFree(devNames_);
  devMode_ = devMode;
  devNames_ = devNames;
}

std::string PrinterChoice::Describe() {
  if (devNames_ != nullptr) return PrinterDescription(FactsFrom(devNames_));
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.Flags = PD_RETURNDEFAULT;
  PrinterFacts facts;
  if (PrintDlgA(&dialog)) {
    facts = FactsFrom(dialog.hDevNames);
    if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
  } else {
    facts.error = CommDlgExtendedError();
    facts.noPrinter = facts.error == PDERR_NODEFAULTPRN || facts.error == PDERR_PRINTERNOTFOUND;
  }
  return PrinterDescription(facts);
}

void PrinterChoice::RunSetupDialog(HWND owner) {
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hDevMode = devMode_;
  dialog.hDevNames = devNames_;
  dialog.Flags = PD_PRINTSETUP;
  if (PrintDlgA(&dialog)) {
    // The dialog may have reallocated the handles it was given.
    devMode_ = nullptr;
    devNames_ = nullptr;
    Replace(dialog.hDevMode, dialog.hDevNames);
    return;
  }
  const DWORD error = CommDlgExtendedError();
  if (error != 0)
    MessageBoxA(owner, PrinterDialogErrorText(error).c_str(), kAppTitle, MB_OK);
}

}  // namespace vistrel::wizard
