#pragma once
// The mail control: the fields and operations the program's send operation
// sets and calls, in its order (reset, addresses, server, subject, extra
// headers, identifier, body, message type, parts, encode, assemble, connect,
// send, disconnect). It builds the message with the MIME part and speaks SMTP
// with the client part, over a transport made for each connection.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mime_message.h"
#include "smtp_client.h"
#include "smtp_transport.h"

namespace mail {

class MailControl {
 public:
  using TransportFactory = std::function<std::unique_ptr<Transport>()>;
  explicit MailControl(TransportFactory makeTransport);
  ~MailControl();
  MailControl(const MailControl&) = delete;
  MailControl& operator=(const MailControl&) = delete;

  // Events: each line of the dialogue; progress of the transfer (see
  // SmtpHooks); `idle` runs while the control waits on the network.
  std::function<void(const std::string& line)> onDebug;
  std::function<void(long long first, long long second)> onProgress;
  std::function<void()> idle;
  // Securing the connection, logging in and the login's reply (see SmtpHooks).
  std::function<void(const std::string& line)> onStage;

  // Clears the message (not the events, the charset or the time-outs).
  void Reset();

  std::string recipient;
  std::string server;  // "host" or "host:port"
  uint16_t port = 25;  // when the server text names none
  SmtpLogin login;     // encryption, user and password
  std::string sender;
  std::string replyTo;
  std::string subject;
  std::string messageIdentifier;
  std::string bodyText;
  // The message's own type: "multipart", "mixed", "boundary=B", B.
  std::string contentType = "text";
  std::string subType = "plain";
  std::string parameters;
  std::string boundary;

  // The charset the texts are written in (the ANSI code page's name) and,
  // for two-byte code pages, which bytes lead a character.
  std::string charset = "us-ascii";
  std::function<bool(unsigned char)> isLeadByte;
  SmtpTimeouts timeouts;
  // Set by tests; otherwise the current time.
  std::optional<MailTime> date;

  int ExtraHeaderCount() const { return static_cast<int>(extraHeaders_.size()); }
  // Line n (counted from 0); n equal to the count adds a line.
  void SetExtraHeader(int n, const std::string& line);

  // Starts a new part after the body text; the fields below are the newest part's.
  void StartPart();
  MimePart& Part();
  std::string& AttachmentFile() { return attachmentFiles_.back(); }

  // Reads the newest part's attachment file into it (base64).
  bool Encode();
  // Builds the message from the fields.
  bool Assemble();
  const std::string& Message() const { return message_; }
  bool Connect();
  bool Send();
  // QUIT and close; safe to call on every path, also when not connected.
  void Disconnect();

  // What went wrong in the last operation that failed.
  const SmtpError& Error() const { return error_; }

 private:
  bool Fail(int code, std::string text);

  TransportFactory makeTransport_;
  std::vector<std::string> extraHeaders_;
  std::vector<MimePart> parts_;  // attachments; the body text goes first when assembling
  std::vector<std::string> attachmentFiles_;
  std::string message_;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<SmtpClient> client_;
  SmtpError error_;
};

// Codes of the control's own failures.
inline constexpr int kBadServerName = 11001;
inline constexpr int kUnreadableFile = 10102;
inline constexpr int kLineBreakInHeader = 10103;

}  // namespace mail
