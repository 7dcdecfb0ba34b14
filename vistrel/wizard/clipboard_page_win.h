#pragma once
// The clipboard page: the output picture copied to the clipboard, and the
// clipboard's viewer.
#include "wizard_page_win.h"
#include "wizard_walk.h"

namespace vistrel::wizard {

class ClipboardPage final : public WizardPage {
 public:
  explicit ClipboardPage(PageHost& host) : WizardPage(kClipboardPage, host) {}

  bool StartsWork(int id) const override;
  void OnCommand(int id, int code, HWND control) override;

  // Arrival at the page: no earlier picture stays on the clipboard.
  void Empty();
  // The button confirms the copy; the walk's automatic copy does not.
  void Copy(bool fromButton);
  void View();
};

}  // namespace vistrel::wizard
