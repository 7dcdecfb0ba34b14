#include "mail_page_win.h"

#include "fx_exchange_win.h"
#include "save_page_lists_win.h"
#include "send_mail_win.h"
#include "wizard_res.h"

namespace vistrel::wizard {

bool MailPage::StartsWork(int id) const { return id == IDC_SENDMAILBTTN; }

void MailPage::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == IDC_SENDMAILBTTN) Send();
  if (id == IDC_COMPRESSMAIL) FollowCompressBox();
}

void MailPage::FollowCompressBox() {
  UpdateCompressOptions(nullptr, nullptr, Panel().Control(IDC_COMPRESSMAIL),
                        Panel().Control(IDC_COMPILEZIPMAIL));
}

void MailPage::Send() {
  const PagePanel& panel = Panel();
  SendMailFromPage(Host().Window(),
                   {panel.Control(IDC_MAILTO), panel.Control(IDC_SUBJECT),
                    panel.Control(IDC_MSGBODY), panel.Control(IDC_COMPRESSMAIL),
                    panel.Control(IDC_COMPILEZIPMAIL), savePage_.FormatList()},
                   Pictures().fxPic, CallConvertImage, hooks_.showSetup);
}

}  // namespace vistrel::wizard
