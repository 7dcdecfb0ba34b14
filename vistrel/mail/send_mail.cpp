#include "send_mail.h"

#include <cmath>
#include <exception>

#include "address_book.h"
#include "format_extension.h"
#include "mail_attachment.h"
#include "mail_security.h"
#include "mime_encoding.h"
#include "output_picture.h"
#include "output_sequence.h"
#include "shell_state.h"
#include "version.h"
#include "work_gate.h"

namespace vistrel {

namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A status line: in MailForm, and in "MailDbg.txt" while MoreInfo is ticked.
void StatusLine(MailPorts& ports, const std::string& text) {
  ports.DoEvents();
  ports.ShowStatus(text);
  ports.DoEvents();
  if (ports.MoreInfo()) ports.AppendDebugLine(text);
}

class Operation {
 public:
  Operation(const MailInputs& in, MailPorts& ports, SettingsStore& store, mail::MailControl& m)
      : in_(in), ports_(ports), store_(store), mail_(m) {}

  MailOutcome Run();
  // An exception stopped the send: say where, leave no temporary file, close MailForm.
  MailOutcome Abort(const std::string& cause);

 private:
  void Status(const std::string& text) { StatusLine(ports_, text); }
  // A line that starts a step: the step an unexpected error would be reported in.
  void Begin(const std::string& text) {
    step_ = text;
    Status(text);
  }
  void StepLine(OutputStep step, bool done, bool ok);
  void RestorePointer() {
    if (hourglass_) ports_.RestorePointer();
    hourglass_ = false;
  }
  void RemoveTemporaryFiles() {
    for (const std::string* file : {&files_.image, &files_.zip, &files_.exe})
      if (ports_.FileExists(*file)) ports_.RemoveFile(*file);
  }
  MailOutcome ConversionFailure(const OutputResult& written);
  MailOutcome PackingFailure(const OutputResult& written);
  // The system's cause of a failed step, as a message's second line.
  std::string Cause(const OutputResult& written);
  MailOutcome SendFailure();

  const MailInputs& in_;
  MailPorts& ports_;
  SettingsStore& store_;
  mail::MailControl& mail_;
  AttachmentFiles files_;
  std::string step_ = "Preparing the mail";
  bool hourglass_ = false;
  bool sent_ = false;
  bool connected_ = false;
};

void Operation::StepLine(OutputStep step, bool done, bool ok) {
  switch (step) {
    case OutputStep::Picture:
      // Written whatever the result: the message that follows says what went wrong.
      if (done)
        Status("Creating temporary file...ok");
      else
        Begin("Creating temporary file...");
      break;
    case OutputStep::Archive:
      if (!done)
        Begin("Converting temporary file to zip...");
      else if (ok)
        Status("Converting temporary file to zip...ok");
      break;
    case OutputStep::SelfExtractor:
      if (!done)
        Begin("Converting zip file to exe...");
      else if (ok)
        Status("Converting zip file to exe...ok");
      break;
  }
}

std::string Operation::Cause(const OutputResult& written) {
  if (written.systemError == 0) return {};
  return CauseLine(ports_.SystemErrorText(written.systemError), written.errorPath);
}

MailOutcome Operation::PackingFailure(const OutputResult& written) {
  // The window stays with its lines, as after a failed conversion.
  const std::string text =
      WithCause(ArchiveNotWrittenText(written.made) + kNothingSent, Cause(written));
  Status(text);
  RemoveTemporaryFiles();
  RestorePointer();
  ports_.ShowMessage(text, MessageIcon::Critical, kAppTitle);
  return MailOutcome::PackingFailed;
}

template <typename Action>
void Quietly(Action action) {
  try {
    action();
  } catch (...) {
    // Reporting one failure must not be stopped by another.
  }
}

MailOutcome Operation::Abort(const std::string& cause) {
  Quietly([this] { mail_.Disconnect(); });
  bool removed = false;
  Quietly([&] {
    RemoveTemporaryFiles();
    removed = true;
    for (const std::string* file : {&files_.image, &files_.zip, &files_.exe})
      removed = removed && !ports_.FileExists(*file);
  });
  Quietly([this] { RestorePointer(); });
  std::string text = sent_ ? kSentThenStopped : kSendStopped;
  text += "\"" + step_ + "\"";
  if (!cause.empty()) text += " (" + cause + ")";
  text += removed ? ". Its temporary files were removed."
                  : ". Its temporary files could not all be removed from \"" +
                        FolderPart(files_.image) + "\".";
  Quietly([&] {
    ports_.ShowMessage(text, MessageIcon::Critical, std::string(kAppTitle) + kSendErrorCaption);
  });
  Quietly([this] { ports_.CloseMailForm(); });
  return MailOutcome::Aborted;
}

MailOutcome Operation::ConversionFailure(const OutputResult& written) {
  const long result = written.result;
  const std::string& command = written.command;
  RemoveTemporaryFiles();
  RestorePointer();
  if (result == kClipboardBusy) {
    ports_.ShowMessage(kClipboardBusyText, MessageIcon::Critical, kAppTitle);
  } else if (result == kFormatNotSupported) {
    ports_.ShowMessage("Format not yet supported in this screen resolution / color depth.",
                       MessageIcon::None, kAppTitle);
  } else {
    // A disk that cannot be written (the temporary folder full or gone) says why.
    ports_.ShowMessage(
        WithCause(std::string("SendMail-Error while converting. Please send this number to ") +
                      VISTREL_PROBLEM_ADDRESS + " " + std::to_string(result) + command,
                  Cause(written)),
        MessageIcon::None, kAppTitle);
  }
  return MailOutcome::ConversionFailed;
}

MailOutcome Operation::SendFailure() {
  const mail::SmtpError error = mail_.Error();
  RestorePointer();
  Status("Error " + std::to_string(error.code) + ": " + error.text);
  std::string message;
  if (error.security) {
    // Encryption or login: the text names the problem, the server's reply says its part.
    message = error.text;
    if (!error.serverReply.empty()) {
      Status(error.serverReply);
      message += "\r\n" + error.serverReply;
    }
  } else if (!error.serverReply.empty()) {
    // The server answered: its own words say why (an unknown recipient, a refused sender).
    Status(error.serverReply);
    message = "The mail server did not accept the mail:\r\n" + error.serverReply;
  } else {
    Status(kNoConnection);
    message = kNoConnection;
    // A server that fell silent or hung up once the dialogue had begun: the
    // first line alone would blame the user's connection; the cause says what happened.
    if (connected_ || error.code == mail::kTimedOut || error.code == mail::kConnectionClosed)
      message += "\r\n" + error.text;
  }
  mail_.Disconnect();  // not kept open while the user reads the message
  ports_.ShowMessage(message, MessageIcon::Critical, std::string(kAppTitle) + kSendErrorCaption);
  ports_.CloseMailForm();
  RemoveTemporaryFiles();
  return MailOutcome::SendFailed;
}

MailOutcome Operation::Run() {
  if (Trim(in_.mailTo).empty()) {
    ports_.ShowMessage(kNoRecipient, MessageIcon::Critical, kAppTitle);
    return MailOutcome::Refused;
  }
  // A line break would let the text add header lines or server commands of its own.
  if (mail::HasLineBreak(in_.mailTo) || mail::HasLineBreak(in_.subject)) {
    ports_.ShowMessage(kLineBreakRefused, MessageIcon::Critical, kAppTitle);
    return MailOutcome::Refused;
  }
  if (ports_.FxPicEmpty()) {
    ports_.ShowMessage(kNoPicture, MessageIcon::Critical, kAppTitle);
    return MailOutcome::Refused;
  }

  ports_.ShowHourglass();
  hourglass_ = true;
  ports_.ShowMailForm();
  const LocalTime now = ports_.Now();
  const std::string extension = FormatExtension(in_.formatEntry);
  files_ = TemporaryMailFiles(ports_.TempFolder(), now, extension);

  // The save's steps, each checked: nothing half-made is attached.
  OutputRequest request;
  request.picture = files_.image;
  request.bitmap = extension == "bmp" || extension == "BMP";
  if (in_.compressMail) {
    request.archive = files_.zip;
    request.selfExtracting = in_.compileZipMail;
  }
  request.temporaryPicture = true;
  request.temporaryArchive = true;
  const OutputResult written = WriteOutput(
      request, ports_, [this](OutputStep step, bool done, bool ok) { StepLine(step, done, ok); });
  if (!written.written) {
    if (written.failedStep == OutputStep::Picture) {
      return ConversionFailure(written);
    }
    return PackingFailure(written);
  }
  const std::string attachment = written.made;

  ports_.DoEvents();
  mail_.Reset();
  mail_.recipient = in_.mailTo;
  mail_.server = store_.GetSetting("Mail", "SMTP_Server", "");
  mail_.sender = store_.GetSetting("Mail", "Reply_Address", "");
  mail_.replyTo = mail_.sender;
  ApplyMailSecurity(
      store_, [this](const std::string& stored) { return ports_.RevealPassword(stored); }, mail_);
  if (Trim(mail_.server).empty() || Trim(mail_.sender).empty()) {
    ports_.ShowMessage(kNoSettings, MessageIcon::None, kAppTitle);
    ports_.CloseMailForm();
    RemoveTemporaryFiles();
    hourglass_ = false;
    ports_.NormalPointer();
    ports_.OpenSetupDialog();
    return MailOutcome::NoSettings;
  }

  mail_.subject = in_.subject;
  mail_.SetExtraHeader(mail_.ExtraHeaderCount(), std::string("X-Mailer: ") + kAppTitle + " " +
                                                     std::to_string(kVersionMajor) + "." +
                                                     std::to_string(kVersionMinor));
  mail_.messageIdentifier = MessageIdentifier(now, kAppTitle);
  mail_.bodyText = in_.msgBody;
  if (mail_.contentType != "multipart") {
    const std::string boundary = BoundaryText(ports_.Random());
    mail_.contentType = "multipart";
    mail_.subType = "mixed";
    mail_.parameters = "boundary=" + boundary;
    mail_.boundary = boundary;
  }
  mail_.StartPart();
  const AttachmentType type = AttachmentPartType(attachment, in_.compressMail, in_.compileZipMail);
  mail_.Part().contentType = type.contentType;
  mail_.Part().subType = type.subType;
  mail_.Part().parameters = type.parameters;
  mail_.Part().disposition = type.disposition;
  mail_.Part().transferEncoding = "base64";
  mail_.AttachmentFile() = attachment;

  Begin("Encoding data...");
  if (!mail_.Encode() || !mail_.Assemble()) {
    // The file was checked when it was made; reading it can still fail (removed or
    // locked by another program meanwhile).
    Status("Error " + std::to_string(mail_.Error().code) + ": " + mail_.Error().text);
    RemoveTemporaryFiles();
    RestorePointer();
    ports_.ShowMessage("The picture could not be attached to the mail: " + mail_.Error().text,
                       MessageIcon::Critical, kAppTitle);
    return MailOutcome::AttachFailed;
  }
  Status("Encoding data...ok");

  Begin("Connecting to " + mail_.server);
  if (!mail_.Connect()) return SendFailure();
  connected_ = true;
  Begin("Sending mail to " + mail_.recipient);
  if (!mail_.Send()) return SendFailure();
  sent_ = true;
  Begin("Mail sent. Disconnecting... ");
  mail_.Disconnect();
  Status("Disconnected");
  step_ = "Updating the address book";

  if (UpdateAddressBook(store_, in_.mailTo) > 0) ports_.AddRecipientToList(in_.mailTo);
  RemoveTemporaryFiles();
  ports_.CloseMailForm();
  RestorePointer();
  return MailOutcome::Sent;
}

}  // namespace

int ProgressPercent(long long first, long long second) {
  if (first == 0) return 0;
  return static_cast<int>(
      std::floor(100.0 - static_cast<double>(second) / static_cast<double>(first)));
}

MailOutcome SendMail(const MailInputs& inputs, MailPorts& ports, SettingsStore& store,
                     mail::MailControl& mail) {
  // The window's events run during a send: what the user starts meanwhile is refused.
  WorkScope work;
  mail.onDebug = [&ports](const std::string& line) {
    if (ports.MoreInfo()) StatusLine(ports, line);
  };
  mail.onProgress = [&ports](long long first, long long second) {
    ports.ShowProgress(ProgressPercent(first, second));
  };
  mail.idle = [&ports] { ports.DoEvents(); };
  mail.onStage = [&ports](const std::string& line) {
    // With MoreInfo the server's replies are shown as they arrive already.
    mail::ReplyLine reply;
    if (ports.MoreInfo() && mail::ParseReplyLine(line, reply)) return;
    StatusLine(ports, line);
  };
  Operation operation(inputs, ports, store, mail);
  try {
    return operation.Run();
  } catch (const std::exception& error) {
    return operation.Abort(error.what());
  } catch (...) {
    return operation.Abort("");
  }
}

}  // namespace vistrel
