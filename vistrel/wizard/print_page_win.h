#pragma once
// The print page: copies, stretching, the printer and the print itself.
#include "printer_choice_win.h"
#include "wizard_page_win.h"
#include "wizard_walk.h"

namespace vistrel::wizard {

class PrintPage final : public WizardPage {
 public:
  explicit PrintPage(PageHost& host) : WizardPage(kPrintPage, host) {}

  bool StartsWork(int id) const override;
  void OnCommand(int id, int code, HWND control) override;

  // The chosen printer's description.
  void ShowPrinter();
  void Print();

 private:
  void Prepare() override;
  void OnCopiesChange();

  PrinterChoice printer_;
};

}  // namespace vistrel::wizard
