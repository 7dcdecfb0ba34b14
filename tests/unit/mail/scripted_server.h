#pragma once
// A scripted SMTP server for the client's tests: it answers each command by
// its verb, collects the mail data, and can close or fall silent at a chosen
// command. Used behind a fake transport and behind a loopback socket.
#include <map>
#include <string>
#include <vector>

#include "smtp_transport.h"

namespace mailtest {

struct Script {
  std::string greeting = "220 test.example ESMTP ready\r\n";
  std::map<std::string, std::string> replies = {
      {"EHLO", "250-test.example\r\n250-SIZE 1000000\r\n250 8BITMIME\r\n"},
      {"HELO", "250 test.example\r\n"},
      {"MAIL", "250 2.1.0 Ok\r\n"},
      {"RCPT", "250 2.1.5 Ok\r\n"},
      {"DATA", "354 End data with <CR><LF>.<CR><LF>\r\n"},
      {"QUIT", "221 Bye\r\n"},
  };
  std::string dataEnd = "250 2.0.0 Ok: queued\r\n";
  // After STARTTLS (or on a TLS connection) EHLO gets this reply instead.
  std::string ehloSecured =
      "250-test.example\r\n250-SIZE 1000000\r\n250 AUTH LOGIN PLAIN\r\n";
  std::string authSecret = "235 2.7.0 Authentication successful\r\n";  // after the password
  std::string closeAt;   // verb (or "." for the data's end) at which the server hangs up
  std::string silentAt;  // verb at which it stops answering
};

class ServerSession {
 public:
  explicit ServerSession(Script script) : script_(std::move(script)) {}
  // What the server has to say now (the greeting at first).
  std::string Start();
  // Takes the client's bytes; returns the replies. `close` and `silent` report the script's turns.
  std::string Take(const std::string& bytes);
  bool closed = false;
  bool silent = false;
  bool secured = false;
  std::string login;  // the AUTH dialogue's lines after the verb, as received
  std::vector<std::string> commands;
  std::string data;  // as carried, dot-stuffed, without the final "."
  uint16_t port = 0;  // where the client connected

 private:
  std::string Answer(const std::string& verb, const std::string& reply);
  Script script_;
  std::string pending_;
  bool inData_ = false;
  int loginLines_ = 0;  // lines of AUTH LOGIN still to come
};

// A transport that talks to a ServerSession in memory.
class FakeTransport : public mail::Transport {
 public:
  explicit FakeTransport(ServerSession& session, bool refuse = false)
      : session_(session), refuse_(refuse) {}
  Io Open(const std::string& host, uint16_t port, mail::TransportError& error) override;
  Io WaitConnected(int, mail::TransportError&) override { return Io::Done; }
  Io StartTls(const std::string& host, mail::TransportError& error) override;
  Io WaitSecured(int, mail::TransportError& error) override;
  Io Send(std::string_view bytes, size_t& sent, int, mail::TransportError&) override;
  Io Receive(std::string& into, int waitMs, mail::TransportError&) override;
  std::string LocalName() override { return "[127.0.0.1]"; }
  void Close() override { ++closes; }
  int closes = 0;
  std::string tlsHost;
  mail::TransportError tlsFailure;  // a code here makes the handshake fail with it

 private:
  ServerSession& session_;
  bool refuse_;
  std::string inbox_;
};

}  // namespace mailtest
