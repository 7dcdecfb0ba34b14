#pragma once
// The mail settings finder's template and controls.
#define IDD_MAILHELP 2750
#define IDC_PROGLIST 2751
#define IDC_INFO 2752
#define IDC_LABEL1 2753
#define IDC_USEIT 2754
// "&Cancel" (Command1) is IDCANCEL, so that Escape and the close box cancel too.
