#pragma once
// Control IDs of the progress window MailForm.
#define IDD_MAILFORM 5100
#define IDC_MAIL_DOCLBL 5101
#define IDC_MAIL_PICTURE1 5102
#define IDC_MAIL_DOCLIST 5103
#define IDC_MAIL_MOREINFO 5104
