#include "print_page_win.h"

#include <commctrl.h>

#include "number_text.h"
#include "print_run_win.h"
#include "wizard_res.h"

namespace vistrel::wizard {

void PrintPage::Prepare() {
  SendMessageA(Panel().Control(IDC_COPIESSPIN), UDM_SETRANGE32, 1, 999);
  Panel().SetText(IDC_COPIES, "1");
}

bool PrintPage::StartsWork(int id) const {
  return id == IDC_PRIVDRUCKEN || id == IDC_PRINTOPTIONS;
}

void PrintPage::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_PRIVDRUCKEN:
      if (code == BN_CLICKED) Print();
      break;
    case IDC_PRINTOPTIONS:
      if (code == BN_CLICKED) {
        printer_.RunSetupDialog(Host().Window());
        ShowPrinter();
      }
      break;
    case IDC_STRETCHPRINT:
      if (code == BN_CLICKED)
        Host().Settings().StretchPrintClicked(Panel().Checked(IDC_STRETCHPRINT));
      break;
    case IDC_COPIES:
      if (code == EN_CHANGE) OnCopiesChange();
      break;
    default:
      break;
  }
}

void PrintPage::ShowPrinter() { Panel().SetText(IDC_PRINTERDISP, printer_.Describe()); }

void PrintPage::Print() {
  const SharedPicture picture = Pictures().fxPic;
  print::PrintFxPic(Host().Window(),
                    {Panel().Text(IDC_COPIES), Panel().Checked(IDC_STRETCHPRINT),
                     Handle(picture), printer_.DevNames(), printer_.DevMode()});
}

void PrintPage::OnCopiesChange() {
  const std::string text = Panel().Text(IDC_COPIES);
  if (text.empty()) return;
  const double copies = Val(text);
  if (copies > 1)
    Panel().SetText(IDC_LABEL8, "Copies");
  else if (copies == 1)
    Panel().SetText(IDC_LABEL8, "Copy");
}

}  // namespace vistrel::wizard
