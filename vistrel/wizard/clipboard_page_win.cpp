#include "clipboard_page_win.h"

#include "handoffs_win.h"
#include "wizard_res.h"

namespace vistrel::wizard {

bool ClipboardPage::StartsWork(int id) const {
  return id == IDC_COPYTOCLIPCOMMAND || id == IDC_VIEWCLIPBOARD;
}

void ClipboardPage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == IDC_COPYTOCLIPCOMMAND) Copy(true);
  if (id == IDC_VIEWCLIPBOARD) View();
}

void ClipboardPage::Empty() {
  if (!OpenClipboard(Host().Window())) return;
  EmptyClipboard();
  CloseClipboard();
}

void ClipboardPage::Copy(bool fromButton) {
  const SharedPicture picture = Pictures().fxPic;
  CopyToClipboard(Host().Window(), Handle(picture), fromButton);
}

void ClipboardPage::View() { ViewClipboard(); }

}  // namespace vistrel::wizard
