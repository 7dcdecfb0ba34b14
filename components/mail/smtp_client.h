#pragma once
// The SMTP dialogue (RFC 5321) over a transport: greeting, EHLO (HELO when
// the server does not know it), MAIL FROM, RCPT TO, DATA, QUIT. Every reply
// is read whole and its code checked; every wait has a deadline, and `idle`
// runs between short waits so that the caller's window stays responsive.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "secret_text.h"
#include "smtp_reply.h"
#include "smtp_transport.h"

namespace mail {

// Numbers of failures that are not server replies (the system's own for the
// rest). Windows' numbers, so a Windows user finds them familiar.
inline constexpr int kTimedOut = 10060;
inline constexpr int kConnectionClosed = 10054;
inline constexpr int kNotConnected = 10057;
inline constexpr int kUnreadableReply = 10100;

inline constexpr int kNoStartTls = 10113;
inline constexpr int kNotEncrypted = 10114;
inline constexpr int kNoLogin = 10115;

struct SmtpError {
  int code = 0;             // the reply code, or one of the numbers above
  std::string text;         // what went wrong, in words
  std::string serverReply;  // the server's reply line when it refused
  bool security = false;    // encryption or login failed: `text` names the problem
};

// How the connection is secured and who logs in.
enum class Security { None, StartTls, Tls };
struct SmtpLogin {
  Security security = Security::None;
  std::string user;  // empty: no login
  SecretText password;
};

struct SmtpTimeouts {
  int connectMs = 30000;
  int replyMs = 120000;    // for each reply, and for each part of the data sent
  int dataEndMs = 300000;  // the reply after the message (servers check it then)
  int sliceMs = 50;        // longest wait between two runs of `idle`
};

// The limits for a reply limit of `seconds`: the reply after the message gets
// two and a half times as long, as the defaults do.
SmtpTimeouts TimeoutsForReplyLimit(int seconds, SmtpTimeouts base = {});

struct SmtpHooks {
  std::function<void(const std::string& line)> debug;  // each line of the dialogue
  // During the data: total bytes, remaining bytes x 100 (100 - second / first
  // is the percentage done).
  std::function<void(long long first, long long second)> progress;
  std::function<void()> idle;
  // The steps a user sees: securing the connection, logging in, the login's reply.
  std::function<void(const std::string& line)> stage;
};

class SmtpClient {
 public:
  SmtpClient(Transport& transport, SmtpHooks hooks, SmtpTimeouts timeouts = {});
  ~SmtpClient();

  // Connects, reads the greeting and introduces itself; with `login`,
  // encrypts the connection (TLS from the first byte, or STARTTLS and EHLO
  // again) and logs in. The password goes only over an encrypted connection
  // and never into the debug lines.
  bool Connect(const std::string& host, uint16_t port, const SmtpLogin& login = {});
  // One mail to one recipient; `message` has CR LF line ends.
  bool SendMail(const std::string& from, const std::string& to, std::string_view message);
  // QUIT when the dialogue is at a point where it may be sent, then closes.
  // Never fails: the mail has gone or failed before it.
  void Quit();

  const SmtpError& Error() const { return error_; }
  // The extensions the server named in its EHLO reply (e.g. "SIZE 10240000").
  const std::vector<std::string>& Extensions() const { return extensions_; }

 private:
  // Sends `line`; with `expected` (not 0), reads the reply and accepts that
  // code or `alsoExpected`.
  bool Command(const std::string& line, int expected, int timeoutMs, int alsoExpected = -1);
  bool Hello(const std::string& name);
  bool Secure(const std::string& host);
  bool LogIn(const SmtpLogin& login);
  // A login line: shown in the debug lines as `shown`; a refusal names `what`.
  bool Secret(const SecretText& line, const std::string& shown, int expected, SmtpReply& reply);
  bool SecurityFail(int code, std::string text, std::string serverReply = {});
  bool Offers(const std::string& extension) const;
  void Stage(const std::string& line);
  bool ReadReply(SmtpReply& reply, int timeoutMs, const char* during = "waiting for its reply");
  bool SendAll(std::string_view bytes, bool reportProgress);
  bool Fail(int code, std::string text, std::string serverReply = {});
  // `limitMs`: the wait that ran out, named in the text of a time-out.
  bool TransportFail(Transport::Io io, const TransportError& error, const char* during,
                     int limitMs);
  void Debug(const std::string& line);

  Transport& transport_;
  SmtpHooks hooks_;
  SmtpTimeouts timeouts_;
  ReplyReader reader_;
  SmtpError error_;
  std::vector<std::string> extensions_;
  bool open_ = false;
  bool mayQuit_ = false;  // not inside the data, and the connection still works
  bool secured_ = false;
};

// The stored names of the choices: "None", "STARTTLS", "TLS" (read in any
// case; anything else is None).
Security SecurityFromText(std::string_view text);
const char* SecurityName(Security security);

// "host" or "host:port" (port 25 when none is named); false when the port is
// not a number from 1 to 65535. An IPv6 address goes in brackets when a port
// follows ("[2001:db8::25]:587"); without brackets ("2001:db8::25") all of it
// is the host. `named` tells whether the text named a port.
bool SplitServer(std::string_view server, std::string& host, uint16_t& port, bool* named = nullptr);

}  // namespace mail
