#pragma once
// The send operation of the mail page: the picture to a temporary file
// (packed into a zip archive or a self-extracting program when asked), a
// mail with the user's text and the file attached, handed to the mail
// control, every step reported in MailForm, the recipient remembered.
#include <string>

#include "mail_control.h"
#include "output_sequence.h"
#include "settings_store.h"

namespace vistrel {

// What the mail page's controls hold.
struct MailInputs {
  std::string mailTo;   // MailTo, as typed
  std::string subject;  // Subject
  std::string msgBody;  // MsgBody
  bool compressMail = false;
  bool compileZipMail = false;
  std::string formatEntry;  // FileFormat text; its first three letters are the extension
};

enum class MessageIcon { None, Critical };

// What the send operation needs from the outside world besides the output
// steps (the picture, its file, the packer, DoEvents) it shares with the save.
class MailPorts : public OutputPorts {
 public:
  // The output picture.
  virtual bool FxPicEmpty() = 0;
  // Time, chance.
  virtual std::string TempFolder() = 0;  // ends in a backslash
  virtual LocalTime Now() = 0;
  virtual double Random() = 0;  // in [0, 1)
  // The user interface.
  virtual void ShowHourglass() = 0;  // remembers the pointer first
  virtual void RestorePointer() = 0;
  virtual void NormalPointer() = 0;
  virtual void ShowMessage(const std::string& text, MessageIcon icon,
                           const std::string& caption) = 0;
  virtual void AddRecipientToList(const std::string& address) = 0;
  virtual void OpenSetupDialog() = 0;
  // MailForm: shown centred and without blocking; closing it stores MoreInfo.
  virtual void ShowMailForm() = 0;
  virtual void CloseMailForm() = 0;
  virtual void ShowStatus(const std::string& text) = 0;  // DocLbl and DocList
  virtual bool MoreInfo() = 0;
  virtual void AppendDebugLine(const std::string& text) = 0;  // "MailDbg.txt"
  virtual void ShowProgress(int percent) = 0;
  // The mail password from its stored (encrypted) form; empty when it cannot be read.
  virtual std::string RevealPassword(const std::string& stored) {
    (void)stored;
    return {};
  }
};

enum class MailOutcome {
  Sent,
  Refused,           // the page's texts were refused: nothing done
  ConversionFailed,  // MailForm stays open with its lines
  PackingFailed,     // the archive or self-extractor was not written; MailForm stays open
  AttachFailed,      // MailForm stays open with its lines
  NoSettings,        // the setup dialog was opened
  SendFailed,        // connection or server refusal
  Aborted,           // an unexpected error stopped the send; MailForm closed
};

// Mail_Progress's percentage: integer part of 100 - second / first, 0 when first is 0.
int ProgressPercent(long long first, long long second);

MailOutcome SendMail(const MailInputs& inputs, MailPorts& ports, SettingsStore& store,
                     mail::MailControl& mail);

// Texts of the operation that tests and the window share.
inline constexpr char kNoRecipient[] = "No email recipient defined!";
inline constexpr char kNoConnection[] =
    "No connection could be established. Are you connected to the internet?";
inline constexpr char kNoSettings[] =
    "No email settings found. Enter this data in the following window.";
inline constexpr char kLineBreakRefused[] =
    "The recipient and the subject must each fit on one line. Please remove the line breaks "
    "and send again.";
inline constexpr char kNoPicture[] =
    "There is no picture to mail: the selected area is empty, or the effects could not be "
    "applied to it. Nothing was sent.";
// Follows the packer's failure ("The zip-file ... could not be written in the folder ...").
inline constexpr char kNothingSent[] = " Nothing was sent.";
// The message of an unexpected error: this, the step under way in quotes, and its cause.
inline constexpr char kSendStopped[] = "The mail was not sent: an unexpected error stopped it at ";
inline constexpr char kSentThenStopped[] =
    "The mail was sent, but an unexpected error stopped the work after it at ";
// After the program title, the caption of the messages of a send that failed.
inline constexpr char kSendErrorCaption[] = " (Error while sending mail)";

}  // namespace vistrel
