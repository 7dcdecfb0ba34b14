// The SMTP dialogue against a scripted server: the order of commands, replies
// read whole, every refusal and hang-up reported with the server's words, and
// QUIT and close on every path.
#include "smtp_client.h"

#include <gtest/gtest.h>

#include "scripted_server.h"
#include "smtp_reply.h"

using mailtest::FakeTransport;
using mailtest::Script;
using mailtest::ServerSession;

namespace {

mail::SmtpTimeouts Quick() {
  mail::SmtpTimeouts t;
  t.connectMs = 300;
  t.replyMs = 300;
  t.dataEndMs = 300;
  t.sliceMs = 20;
  return t;
}

struct Outcome {
  bool connected = false, sent = false;
  mail::SmtpError error;
  std::vector<std::string> debug;
  int idles = 0;
};

Outcome Dialogue(FakeTransport& transport, const std::string& message) {
  Outcome run;
  mail::SmtpHooks hooks;
  hooks.debug = [&run](const std::string& line) { run.debug.push_back(line); };
  hooks.idle = [&run] { ++run.idles; };
  mail::SmtpClient client(transport, hooks, Quick());
  run.connected = client.Connect("mail.test", 25);
  if (run.connected) run.sent = client.SendMail("me@here.test", "you@there.test", message);
  run.error = client.Error();
  client.Quit();
  return run;
}

TEST(SmtpClient, SendsInOrderAndDotStuffsTheData) {
  ServerSession session{Script{}};
  FakeTransport transport(session);
  std::string message = "Subject: x\r\n\r\n.hidden line\r\nend\r\n";
  message += std::string(20000, 'a') + "\r\n";  // more than one piece on the wire
  Outcome run = Dialogue(transport, message);
  ASSERT_TRUE(run.sent) << run.error.text;
  EXPECT_EQ(session.commands, (std::vector<std::string>{
                                  "EHLO [127.0.0.1]",
                                  "MAIL FROM:<me@here.test> SIZE=" + std::to_string(message.size()),
                                  "RCPT TO:<you@there.test>", "DATA", "QUIT"}));
  EXPECT_NE(session.data.find("\r\n..hidden line\r\n"), std::string::npos);
  EXPECT_EQ(transport.closes, 1);
  // Every reply line of the multi-line EHLO reaches the debug event.
  EXPECT_NE(std::find(run.debug.begin(), run.debug.end(), "250 8BITMIME"), run.debug.end());
}

TEST(SmtpClient, FallsBackToHeloWhenEhloIsUnknown) {
  Script script;
  script.replies["EHLO"] = "502 5.5.2 Error: command not recognized\r\n";
  ServerSession session{script};
  FakeTransport transport(session);
  Outcome run = Dialogue(transport, "x\r\n");
  ASSERT_TRUE(run.sent) << run.error.text;
  EXPECT_EQ(session.commands[1], "HELO [127.0.0.1]");
  EXPECT_EQ(session.commands[2], "MAIL FROM:<me@here.test>");  // no SIZE without EHLO
}

// 251 "User not local; will forward" accepts the recipient as 250 does; 252
// (cannot verify, will try) is not an answer to RCPT and stays a refusal.
TEST(SmtpClient, RecipientForwardedIsAccepted) {
  Script script;
  script.replies["RCPT"] = "251 2.1.5 User not local; will forward to <you@else.test>\r\n";
  ServerSession session{script};
  FakeTransport transport(session);
  Outcome run = Dialogue(transport, "x\r\n");
  EXPECT_TRUE(run.sent) << run.error.text;
  EXPECT_EQ(session.commands[3], "DATA");
  EXPECT_EQ(session.data, "x\r\n");

  script.replies["RCPT"] = "252 2.1.5 Cannot VRFY user\r\n";
  ServerSession other{script};
  FakeTransport refused(other);
  run = Dialogue(refused, "x\r\n");
  EXPECT_FALSE(run.sent);
  EXPECT_EQ(run.error.code, 252);
}

TEST(SmtpClient, EveryRefusalCarriesTheServersReplyAndEndsWithQuit) {
  struct Case {
    std::string step, reply;
    bool connected;
  };
  const Case cases[] = {
      {"greeting", "554 5.7.1 Go away\r\n", false},
      {"EHLO", "421 4.3.2 Service not available\r\n", false},
      {"MAIL", "451 4.3.0 Try again later\r\n", true},
      {"MAIL", "553 5.1.8 Sender rejected\r\n", true},
      {"RCPT", "450 4.2.0 Mailbox busy\r\n", true},
      {"RCPT", "550 5.1.1 <you@there.test>: Recipient address rejected\r\n", true},
      {"DATA", "554 5.5.1 No valid recipients\r\n", true},
      {".", "552 5.3.4 Message too big\r\n", true},
  };
  for (const Case& c : cases) {
    Script script;
    if (c.step == "greeting")
      script.greeting = c.reply;
    else if (c.step == ".")
      script.dataEnd = c.reply;
    else
      script.replies[c.step] = c.reply;
    ServerSession session{script};
    FakeTransport transport(session);
    Outcome run = Dialogue(transport, "x\r\n");
    EXPECT_FALSE(run.sent) << c.reply;
    EXPECT_EQ(run.connected, c.connected) << c.reply;
    const std::string line = c.reply.substr(0, c.reply.size() - 2);
    EXPECT_EQ(run.error.serverReply, line);
    EXPECT_EQ(run.error.code, std::stoi(line.substr(0, 3)));
    EXPECT_EQ(session.commands.back(), "QUIT") << c.reply;
    EXPECT_EQ(transport.closes, 1) << c.reply;
  }
}

TEST(SmtpClient, HangUpAndSilenceAreReportedNotAwaitedForever) {
  struct Case {
    std::string closeAt, silentAt;
    int code;
  };
  const Case cases[] = {
      {"MAIL", "", mail::kConnectionClosed},
      {".", "", mail::kConnectionClosed},
      {"", "EHLO", mail::kTimedOut},
      {"", "RCPT", mail::kTimedOut},
      {"", ".", mail::kTimedOut},
  };
  for (const Case& c : cases) {
    Script script;
    script.closeAt = c.closeAt;
    script.silentAt = c.silentAt;
    ServerSession session{script};
    FakeTransport transport(session);
    Outcome run = Dialogue(transport, "x\r\n");
    EXPECT_FALSE(run.sent);
    EXPECT_EQ(run.error.code, c.code) << c.closeAt << c.silentAt;
    EXPECT_GT(run.idles, 0);  // the caller's window kept running meanwhile
    EXPECT_EQ(transport.closes, 1);
  }
}

TEST(SmtpClient, RefusedConnectionIsAnErrorWithTheSystemsNumber) {
  ServerSession session{Script{}};
  FakeTransport transport(session, true);
  Outcome run = Dialogue(transport, "x\r\n");
  EXPECT_FALSE(run.connected);
  EXPECT_EQ(run.error.code, 10061);
  EXPECT_TRUE(session.commands.empty());
}

TEST(SmtpReplyReader, ReadsWholeRepliesAndRefusesGarbage) {
  mail::ReplyReader reader;
  mail::SmtpReply reply;
  reader.Feed("250-first\r\n250-sec");
  EXPECT_EQ(reader.Next(reply), mail::ReplyReader::State::NeedMore);
  reader.Feed("ond\r\n250 last\r\n220 next\r\n");
  ASSERT_EQ(reader.Next(reply), mail::ReplyReader::State::Ready);
  EXPECT_EQ(reply.code, 250);
  EXPECT_EQ(reply.lines.size(), 3u);
  EXPECT_EQ(reply.LastLine(), "250 last");
  ASSERT_EQ(reader.Next(reply), mail::ReplyReader::State::Ready);
  EXPECT_EQ(reply.code, 220);

  for (const char* bad : {"hello\r\n", "25\r\n", "250x\r\n", "250-a\r\n251 b\r\n", "650 x\r\n"}) {
    mail::ReplyReader r;
    r.Feed(bad);
    mail::ReplyReader::State state;
    do state = r.Next(reply);
    while (state == mail::ReplyReader::State::Ready);
    EXPECT_EQ(state, mail::ReplyReader::State::Malformed) << bad;
  }
}

TEST(SplitServer, PortIsTwentyFiveUnlessNamed) {
  struct Case {
    const char* text;
    bool ok;
    const char* host;
    int port;
  };
  const Case cases[] = {{"mail.test", true, "mail.test", 25},
                        {"127.0.0.1:2525", true, "127.0.0.1", 2525},
                        {"[::1]:587", true, "::1", 587},
                        // An IPv6 address without brackets is all host; its last group is no port.
                        {"2001:db8::25", true, "2001:db8::25", 25},
                        {"::1", true, "::1", 25},
                        {"[2001:db8::25]", true, "2001:db8::25", 25},
                        {"[::ffff:192.0.2.1]:2525", true, "::ffff:192.0.2.1", 2525},
                        {"[2001:db8::25]:", false, "", 0},
                        {"[2001:db8::25]587", false, "", 0},
                        {"[2001:db8::25", false, "", 0},
                        {"[]:25", false, "", 0},
                        {"mail.test:25:26", false, "", 0},
                        {"mail.test:99999999999999999999", false, "", 0},
                        {"mail.test:0", false, "", 0},
                        {"mail.test:70000", false, "", 0},
                        {"mail.test:", false, "", 0},
                        {"", false, "", 0}};
  for (const Case& c : cases) {
    std::string host;
    uint16_t port = 0;
    EXPECT_EQ(mail::SplitServer(c.text, host, port), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(host, c.host);
      EXPECT_EQ(port, c.port);
    }
  }
}

}  // namespace
