#include "smtp_client.h"

#include <algorithm>
#include <chrono>
#include <initializer_list>

#include "mime_encoding.h"

namespace mail {

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

constexpr size_t kDataChunk = 64 * 1024;
constexpr char kConnecting[] = "connecting";

// Parts joined in one buffer of their size, so no partial copy is left behind.
SecretText Joined(std::initializer_list<std::string_view> parts) {
  size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  SecretText joined;
  joined.Reserve(size);
  for (std::string_view part : parts) joined.Append(part);
  return joined;
}

// Base64 on one line, as AUTH wants it; the login's lines stay secret.
SecretText SecretBase64(std::string_view bytes) { return SecretText(Base64(bytes)); }

}  // namespace

Security SecurityFromText(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  text = first == std::string_view::npos ? std::string_view() : text.substr(first);
  text = text.substr(0, text.find_last_not_of(" \t") + 1);
  const std::string upper = Upper(text);
  if (upper == "STARTTLS") return Security::StartTls;
  if (upper == "TLS") return Security::Tls;
  return Security::None;
}

const char* SecurityName(Security security) {
  switch (security) {
    case Security::StartTls:
      return "STARTTLS";
    case Security::Tls:
      return "TLS";
    default:
      return "None";
  }
}

bool SplitServer(std::string_view server, std::string& host, uint16_t& port, bool* named) {
  port = 25;
  if (named) *named = false;
  host.clear();
  std::string_view portText;
  bool hasPort = false;
  if (!server.empty() && server.front() == '[') {
    // An address literal, "[2001:db8::25]" or "[2001:db8::25]:587".
    const size_t close = server.find(']');
    if (close == std::string_view::npos) return false;
    host = std::string(server.substr(1, close - 1));
    if (close + 1 < server.size()) {
      if (server[close + 1] != ':') return false;
      portText = server.substr(close + 2);
      hasPort = true;
    }
  } else if (std::count(server.begin(), server.end(), ':') > 1) {
    // An IPv6 address without brackets has no room for a port: all of it is the host.
    if (server.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos)
      return false;
    host = std::string(server);
  } else {
    const size_t colon = server.find(':');
    host = std::string(server.substr(0, colon));
    if (colon != std::string_view::npos) {
      portText = server.substr(colon + 1);
      hasPort = true;
    }
  }
  if (host.empty() || host.find_first_of("[] \t") != std::string::npos) return false;
  if (!hasPort) return true;
  if (portText.empty()) return false;
  unsigned long value = 0;
  for (char c : portText) {
    if (c < '0' || c > '9' || value > 65535) return false;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  if (named) *named = true;
  return true;
}

SmtpTimeouts TimeoutsForReplyLimit(int seconds, SmtpTimeouts base) {
  base.replyMs = seconds * 1000;
  base.dataEndMs = seconds * 2500;
  return base;
}

SmtpClient::SmtpClient(Transport& transport, SmtpHooks hooks, SmtpTimeouts timeouts)
    : transport_(transport), hooks_(std::move(hooks)), timeouts_(timeouts) {}

SmtpClient::~SmtpClient() {
  if (open_) transport_.Close();
}

void SmtpClient::Debug(const std::string& line) {
  if (hooks_.debug) hooks_.debug(line);
}

bool SmtpClient::Fail(int code, std::string text, std::string serverReply) {
  error_ = {code, std::move(text), std::move(serverReply)};
  return false;
}

bool SmtpClient::TransportFail(Transport::Io io, const TransportError& error, const char* during,
                               int limitMs) {
  mayQuit_ = false;
  const std::string context = std::string(" (") + during + ").";
  switch (io) {
    case Transport::Io::Pending: {
      // Whole seconds, as the limit is set; a limit under one second is a test's.
      const int seconds = (limitMs + 999) / 1000;
      return Fail(kTimedOut, "The server did not answer within " + std::to_string(seconds) +
                                 (seconds == 1 ? " second" : " seconds") + context);
    }
    case Transport::Io::Closed:
      return Fail(kConnectionClosed, "The server closed the connection" + context);
    default:
      if (error.text.empty()) return Fail(error.code, "Network error" + context);
      // A refused connection says it all; a connection lost later says when.
      if (std::string_view(during) == kConnecting) return Fail(error.code, error.text);
      return Fail(error.code, error.text.substr(0, error.text.find_last_not_of('.') + 1) + context);
  }
}

bool SmtpClient::Connect(const std::string& host, uint16_t port, const SmtpLogin& login) {
  error_ = {};
  extensions_.clear();
  reader_.Clear();
  secured_ = false;
  TransportError error;
  Transport::Io io = transport_.Open(host, port, error);
  open_ = io != Transport::Io::Failed;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.connectMs);
  while (io == Transport::Io::Pending) {
    const int wait = std::min(timeouts_.sliceMs, RemainingMs(deadline));
    io = transport_.WaitConnected(wait, error);
    if (io != Transport::Io::Pending || RemainingMs(deadline) == 0) break;
    if (hooks_.idle) hooks_.idle();
  }
  if (io != Transport::Io::Done) {
    // A transport may say what it was still waiting for (the name's lookup).
    if (io == Transport::Io::Pending && !error.text.empty()) {
      Fail(kTimedOut, error.text);
      mayQuit_ = false;
    } else {
      TransportFail(io, error, kConnecting, timeouts_.connectMs);
    }
    transport_.Close();
    open_ = false;
    return false;
  }
  mayQuit_ = true;
  if (login.security == Security::Tls && !Secure(host)) return false;

  SmtpReply reply;
  if (!ReadReply(reply, timeouts_.replyMs)) return false;
  if (reply.code != 220)
    return Fail(reply.code, "The server refused the connection.", reply.LastLine());

  const std::string name = transport_.LocalName();
  if (!Hello(name)) return false;
  if (login.security == Security::StartTls) {
    if (!Offers("STARTTLS"))
      return SecurityFail(kNoStartTls,
                          "The server does not offer STARTTLS, so the connection cannot be "
                          "encrypted. The mail was not sent.");
    if (!Command("STARTTLS", 220, timeouts_.replyMs)) {
      error_.security = true;
      error_.text = "The server refused to encrypt the connection (STARTTLS).";
      return false;
    }
    // What the server offers after encryption is what counts.
    if (!Secure(host) || !Hello(name)) return false;
  }
  return login.user.empty() || LogIn(login);
}

bool SmtpClient::Hello(const std::string& name) {
  extensions_.clear();
  SmtpReply reply;
  if (!Command("EHLO " + name, 0, timeouts_.replyMs)) return false;
  if (!ReadReply(reply, timeouts_.replyMs)) return false;
  if (reply.code == 250) {
    for (size_t i = 1; i < reply.lines.size(); ++i)
      extensions_.push_back(reply.lines[i].size() > 4 ? reply.lines[i].substr(4) : std::string());
    return true;
  }
  if (reply.code < 500)
    return Fail(reply.code, "The server refused the greeting.", reply.LastLine());
  // A server that does not know EHLO (a 5xx reply) still knows HELO.
  return Command("HELO " + name, 250, timeouts_.replyMs);
}

void SmtpClient::Stage(const std::string& line) {
  if (hooks_.stage) hooks_.stage(line);
}

bool SmtpClient::SecurityFail(int code, std::string text, std::string serverReply) {
  Fail(code, std::move(text), std::move(serverReply));
  error_.security = true;
  return false;
}

bool SmtpClient::Offers(const std::string& extension) const {
  for (const std::string& offered : extensions_) {
    const std::string upper = Upper(offered);
    if (upper == extension || upper.rfind(extension + " ", 0) == 0) return true;
  }
  return false;
}

bool SmtpClient::Secure(const std::string& host) {
  Stage("Securing connection...");
  TransportError error;
  Transport::Io io = transport_.StartTls(host, error);
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.replyMs);
  while (io == Transport::Io::Pending) {
    const int wait = std::min(timeouts_.sliceMs, RemainingMs(deadline));
    io = transport_.WaitSecured(wait, error);
    if (io != Transport::Io::Pending || RemainingMs(deadline) == 0) break;
    if (hooks_.idle) hooks_.idle();
  }
  if (io != Transport::Io::Done) {
    TransportFail(io, error, "encrypting the connection", timeouts_.replyMs);
    error_.security = true;
    return false;
  }
  // Nothing that arrived before the encryption may be read as after it.
  reader_.Clear();
  secured_ = true;
  const std::string note = transport_.SecurityNote();
  if (!note.empty()) Debug(note);
  return true;
}

bool SmtpClient::LogIn(const SmtpLogin& login) {
  if (!secured_)
    return SecurityFail(kNotEncrypted,
                        "The password is sent only over an encrypted connection. Choose STARTTLS "
                        "or TLS in the Email Settings of the setup dialog. The mail was not sent.");
  bool plain = false, loginWords = false;
  for (const std::string& offered : extensions_) {
    const std::string upper = Upper(offered);
    if (upper.rfind("AUTH", 0) != 0 || upper.size() < 5 || (upper[4] != ' ' && upper[4] != '='))
      continue;
    size_t at = 5;
    while (at < upper.size()) {
      const size_t end = std::min(upper.find(' ', at), upper.size());
      const std::string mechanism = upper.substr(at, end - at);
      plain = plain || mechanism == "PLAIN";
      loginWords = loginWords || mechanism == "LOGIN";
      at = end + 1;
    }
  }
  if (!plain && !loginWords)
    return SecurityFail(kNoLogin,
                        "The server offers no login this program knows (AUTH PLAIN or LOGIN), so "
                        "the user name and password cannot be used.");
  Stage("Logging in as " + login.user);
  SmtpReply reply;
  bool done = false;
  if (plain) {
    const SecretText credentials = Joined(
        {std::string_view("\0", 1), login.user, std::string_view("\0", 1), login.password.View()});
    done = Secret(Joined({"AUTH PLAIN ", SecretBase64(credentials.View()).View()}),
                  "AUTH PLAIN ********", 235, reply);
  } else {
    done = Secret("AUTH LOGIN", "AUTH LOGIN", 334, reply) &&
           Secret(SecretBase64(login.user), Base64(login.user), 334, reply) &&
           Secret(SecretBase64(login.password.View()), "********", 235, reply);
  }
  if (done) {
    Stage(reply.LastLine());
    return true;
  }
  if (!error_.serverReply.empty())
    error_.text = "The server refused the login as " + login.user + ".";
  error_.security = true;
  return false;
}

bool SmtpClient::Secret(const SecretText& line, const std::string& shown, int expected,
                        SmtpReply& reply) {
  Debug(shown);
  reply = {};
  if (!SendAll(Joined({line.View(), "\r\n"}).View(), false) || !ReadReply(reply, timeouts_.replyMs))
    return false;
  if (reply.code != expected)
    return Fail(reply.code, "The server refused the login.", reply.LastLine());
  return true;
}

bool SmtpClient::SendMail(const std::string& from, const std::string& to,
                          std::string_view message) {
  error_ = {};
  if (!open_ || !mayQuit_) return Fail(kNotConnected, "There is no connection to the server.");
  std::string stuffed = DotStuffed(message);
  if (stuffed.size() < 2 || stuffed.compare(stuffed.size() - 2, 2, "\r\n") != 0) stuffed += "\r\n";

  std::string mailFrom = "MAIL FROM:<" + from + ">";
  for (const std::string& extension : extensions_) {
    if (Upper(extension).rfind("SIZE", 0) == 0) {
      mailFrom += " SIZE=" + std::to_string(message.size());
      break;
    }
  }
  if (!Command(mailFrom, 250, timeouts_.replyMs)) return false;
  // 251: the server forwards the mail to where the recipient is now; accepted all the same.
  if (!Command("RCPT TO:<" + to + ">", 250, timeouts_.replyMs, 251)) return false;
  if (!Command("DATA", 354, timeouts_.replyMs)) return false;

  mayQuit_ = false;  // inside the data a QUIT would be read as text
  // The end mark goes with the last piece of the data, not on its own after it.
  stuffed += ".\r\n";
  if (!SendAll(stuffed, true)) return false;
  Debug(".");
  mayQuit_ = true;
  SmtpReply reply;
  if (!ReadReply(reply, timeouts_.dataEndMs, "waiting for its reply to the mail's data"))
    return false;
  if (reply.code != 250)
    return Fail(reply.code, "The server did not accept the mail.", reply.LastLine());
  return true;
}

void SmtpClient::Quit() {
  if (!open_) return;
  if (mayQuit_) {
    // A short wait: the mail has been accepted or refused already.
    SmtpTimeouts saved = timeouts_;
    timeouts_.replyMs = std::min(timeouts_.replyMs, 5000);
    SmtpError kept = error_;
    if (Command("QUIT", 0, timeouts_.replyMs)) {
      SmtpReply reply;
      ReadReply(reply, timeouts_.replyMs);
    }
    error_ = kept;
    timeouts_ = saved;
  }
  transport_.Close();
  open_ = false;
  mayQuit_ = false;
}

bool SmtpClient::Command(const std::string& line, int expected, int timeoutMs, int alsoExpected) {
  Debug(line);
  if (!SendAll(line + "\r\n", false)) return false;
  if (expected == 0) return true;
  SmtpReply reply;
  if (!ReadReply(reply, timeoutMs)) return false;
  if (reply.code != expected && reply.code != alsoExpected) {
    const std::string verb = line.substr(0, line.find_first_of(":<"));
    return Fail(reply.code, "The server refused " + verb + ".", reply.LastLine());
  }
  return true;
}

bool SmtpClient::ReadReply(SmtpReply& reply, int timeoutMs, const char* during) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string received;
  for (;;) {
    const auto state = reader_.Next(reply, [this](const std::string& line) { Debug(line); });
    if (state == ReplyReader::State::Ready) return true;
    if (state == ReplyReader::State::Malformed) {
      mayQuit_ = false;
      return Fail(kUnreadableReply, "The server's reply could not be read.");
    }
    TransportError error;
    received.clear();
    const int wait = std::min(timeouts_.sliceMs, RemainingMs(deadline));
    const Transport::Io io = transport_.Receive(received, wait, error);
    if (io == Transport::Io::Done) {
      reader_.Feed(received);
      continue;
    }
    if (io != Transport::Io::Pending || RemainingMs(deadline) == 0)
      return TransportFail(io, error, during, timeoutMs);
    if (hooks_.idle) hooks_.idle();
  }
}

bool SmtpClient::SendAll(std::string_view bytes, bool reportProgress) {
  const auto total = static_cast<long long>(bytes.size());
  auto report = [&](size_t done) {
    if (reportProgress && hooks_.progress)
      hooks_.progress(total, (total - static_cast<long long>(done)) * 100);
  };
  report(0);
  size_t done = 0;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.replyMs);
  while (done < bytes.size()) {
    TransportError error;
    size_t sent = 0;
    const size_t chunk = std::min(kDataChunk, bytes.size() - done);
    const int wait = std::min(timeouts_.sliceMs, RemainingMs(deadline));
    const Transport::Io io = transport_.Send(bytes.substr(done, chunk), sent, wait, error);
    if (io == Transport::Io::Done && sent > 0) {
      done += sent;
      report(done);
      deadline = Clock::now() + std::chrono::milliseconds(timeouts_.replyMs);
      if (hooks_.idle) hooks_.idle();
      continue;
    }
    if ((io != Transport::Io::Pending && io != Transport::Io::Done) || RemainingMs(deadline) == 0)
      return TransportFail(io == Transport::Io::Done ? Transport::Io::Pending : io, error,
                           reportProgress ? "sending the mail's data" : "sending",
                           timeouts_.replyMs);
    if (hooks_.idle) hooks_.idle();
  }
  return true;
}

}  // namespace mail
