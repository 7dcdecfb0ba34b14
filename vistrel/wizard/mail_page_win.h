#pragma once
// The mail page: recipient, subject, text, the archive choice, and the send.
#include "save_page_win.h"
#include "wizard_page_win.h"
#include "wizard_walk.h"
#include "wizard_win.h"

namespace vistrel::wizard {

class MailPage final : public WizardPage {
 public:
  // The attachment has the format chosen on `savePage`.
  MailPage(PageHost& host, const SavePage& savePage, const ShellHooks& hooks)
      : WizardPage(kMailPage, host), savePage_(savePage), hooks_(hooks) {}

  bool StartsWork(int id) const override;
  void OnCommand(int id, int code, HWND control) override;

  // The "self executable" box is enabled while "compress" is ticked.
  void FollowCompressBox();
  void Send();

 private:
  const SavePage& savePage_;
  const ShellHooks& hooks_;
};

}  // namespace vistrel::wizard
