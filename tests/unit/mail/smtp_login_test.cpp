// Encryption and login in the SMTP dialogue against a scripted server: EHLO
// again after STARTTLS, AUTH PLAIN or LOGIN as offered, and every way it can
// go wrong stopping before the password is sent, which never shows in the
// debug lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "scripted_server.h"
#include "smtp_client.h"

using mailtest::FakeTransport;
using mailtest::Script;
using mailtest::ServerSession;

namespace {

constexpr char kPassword[] = "pa55-w0rd";
// "\0me@here.test\0pa55-w0rd" and "pa55-w0rd" in base64.
constexpr char kPlainLogin[] = "AG1lQGhlcmUudGVzdABwYTU1LXcwcmQ=";
constexpr char kPasswordWords[] = "cGE1NS13MHJk";

struct Outcome {
  bool connected = false, sent = false;
  mail::SmtpError error;
  std::vector<std::string> debug, stages;
};

Outcome Dialogue(FakeTransport& transport, mail::Security security) {
  Outcome run;
  mail::SmtpHooks hooks;
  hooks.debug = [&run](const std::string& line) { run.debug.push_back(line); };
  hooks.stage = [&run](const std::string& line) { run.stages.push_back(line); };
  mail::SmtpTimeouts quick;
  quick.connectMs = quick.replyMs = quick.dataEndMs = 300;
  quick.sliceMs = 20;
  mail::SmtpClient client(transport, hooks, quick);
  run.connected = client.Connect("mail.test", 587, {security, "me@here.test", kPassword});
  if (run.connected) run.sent = client.SendMail("me@here.test", "you@there.test", "x\r\n");
  run.error = client.Error();
  client.Quit();
  return run;
}

bool Has(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

void ExpectNoSecretIn(const Outcome& run) {
  for (const char* secret : {kPassword, kPlainLogin, kPasswordWords}) {
    EXPECT_FALSE(Has(run.debug, secret)) << secret;
    EXPECT_FALSE(Has(run.stages, secret)) << secret;
    EXPECT_EQ(run.error.text.find(secret), std::string::npos);
  }
}

TEST(SmtpLogin, StartTlsThenEhloAgainThenTheLoginTheServerOffers) {
  Script script;
  script.replies["EHLO"] = "250-test.example\r\n250 STARTTLS\r\n";
  // A line sent after the 220 in plain text must not be read as the encrypted server's.
  script.replies["STARTTLS"] = "220 2.0.0 Ready\r\n250 injected\r\n";
  ServerSession session{script};
  FakeTransport transport(session);
  Outcome run = Dialogue(transport, mail::Security::StartTls);
  ASSERT_TRUE(run.sent) << run.error.text;
  EXPECT_EQ(transport.tlsHost, "mail.test");
  EXPECT_EQ(std::vector<std::string>(session.commands.begin(), session.commands.begin() + 5),
            (std::vector<std::string>{"EHLO [127.0.0.1]", "STARTTLS", "EHLO [127.0.0.1]",
                                      std::string("AUTH PLAIN ") + kPlainLogin,
                                      "MAIL FROM:<me@here.test> SIZE=3"}));
  EXPECT_EQ(run.stages, (std::vector<std::string>{"Securing connection...", "Logging in as me@here.test",
                                                  "235 2.7.0 Authentication successful"}));
  EXPECT_TRUE(Has(run.debug, "AUTH PLAIN ********"));
  ExpectNoSecretIn(run);

  // Only LOGIN offered, on a connection encrypted from the first byte.
  script.ehloSecured = "250-test.example\r\n250 AUTH=LOGIN\r\n";
  ServerSession second{script};
  FakeTransport tls(second);
  run = Dialogue(tls, mail::Security::Tls);
  ASSERT_TRUE(run.sent) << run.error.text;
  EXPECT_EQ(second.commands[0], "EHLO [127.0.0.1]");
  EXPECT_EQ(second.commands[1], "AUTH LOGIN");
  EXPECT_EQ(second.login, std::string("LOGIN bWVAaGVyZS50ZXN0 ") + kPasswordWords);
  EXPECT_TRUE(Has(run.debug, "********"));
  ExpectNoSecretIn(run);
}

TEST(SmtpLogin, EveryRefusalStopsBeforeThePasswordOrAtTheServersWord) {
  struct Case {
    const char* what;
    mail::Security security;
    std::string ehlo, ehloSecured, starttls, authReply;
    int tlsFailure;
    int code;
    bool passwordSent;
  };
  const std::string offers = "250-test.example\r\n250-STARTTLS\r\n250 AUTH PLAIN\r\n";
  const std::string noAuth = "250-test.example\r\n250 SIZE 1000\r\n";
  const Case cases[] = {
      // AUTH offered on the plain connection, but no encryption chosen.
      {"plain", mail::Security::None, offers, offers, "220 Go\r\n", "", 0, mail::kNotEncrypted,
       false},
      {"no STARTTLS", mail::Security::StartTls, noAuth, offers, "220 Go\r\n", "", 0,
       mail::kNoStartTls, false},
      {"STARTTLS refused", mail::Security::StartTls, offers, offers,
       "454 4.7.0 TLS not available\r\n", "", 0, 454, false},
      {"certificate", mail::Security::StartTls, offers, offers, "220 Go\r\n", "",
       mail::Transport::kBadCertificate, mail::Transport::kBadCertificate, false},
      // AUTH offered only before encryption.
      {"no AUTH", mail::Security::StartTls, offers, noAuth, "220 Go\r\n", "", 0, mail::kNoLogin,
       false},
      {"535", mail::Security::StartTls, offers, offers, "220 Go\r\n",
       "535 5.7.8 Authentication credentials invalid\r\n", 0, 535, true},
  };
  for (const Case& c : cases) {
    Script script;
    script.replies["EHLO"] = c.ehlo;
    script.ehloSecured = c.ehloSecured;
    script.replies["STARTTLS"] = c.starttls;
    if (!c.authReply.empty()) script.authSecret = c.authReply;
    ServerSession session{script};
    FakeTransport transport(session);
    if (c.tlsFailure) transport.tlsFailure = {c.tlsFailure, "The server's certificate is for another name."};
    Outcome run = Dialogue(transport, c.security);
    EXPECT_FALSE(run.connected) << c.what;
    EXPECT_EQ(run.error.code, c.code) << c.what;
    EXPECT_TRUE(run.error.security) << c.what;
    EXPECT_EQ(Has(session.commands, "AUTH"), c.passwordSent) << c.what;
    EXPECT_FALSE(Has(session.commands, "MAIL")) << c.what;
    EXPECT_EQ(transport.closes, 1) << c.what;
    ExpectNoSecretIn(run);
  }
  // The server's own words on a refused login, and the user it refused.
  Script script;
  script.replies["EHLO"] = offers;
  script.replies["STARTTLS"] = "220 Go\r\n";
  script.authSecret = "535 5.7.8 Authentication credentials invalid\r\n";
  ServerSession session{script};
  FakeTransport transport(session);
  const Outcome run = Dialogue(transport, mail::Security::StartTls);
  EXPECT_EQ(run.error.serverReply, "535 5.7.8 Authentication credentials invalid");
  EXPECT_NE(run.error.text.find("me@here.test"), std::string::npos) << run.error.text;
  EXPECT_EQ(session.commands.back(), "QUIT");
}

}  // namespace
