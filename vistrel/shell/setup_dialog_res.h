#pragma once
// The setup dialog's template and controls.
#define IDD_SETUP 1300
#define IDC_SMTPSERVER 1301
#define IDC_MAILADDRESS 1302
#define IDC_AUTOFINDEMAIL 1303
#define IDC_INCLUDEMOUSECURSOR 1304
#define IDC_AUTOSTART 1305
#define IDC_ENDAFTERSHOT 1306
#define IDC_SCALESYS 1307
#define IDC_COMMAND3 1308  // "&Apply"
// NotShow(i) is IDC_NOTSHOW0 + i, its label IDC_NOTSHOWLABEL0 + i.
#define IDC_NOTSHOW0 1310
#define IDC_NOTSHOWLABEL0 1320
#define IDC_SMTPPORT 1330
#define IDC_SMTPSECURITY 1331
#define IDC_SMTPUSER 1332
#define IDC_SMTPPASSWORD 1333
#define IDC_SMTPTIMEOUT 1335
#define IDC_HOTKEY 1334
// "&Ok" is IDOK and "&Cancel" IDCANCEL, so that Enter and Escape work.
