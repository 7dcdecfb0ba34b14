// The send operation end to end in memory: status lines in order, the three
// attachment cases parsed back by Python's email package, the failure table,
// the refusals that keep user text out of headers, the address book.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "address_book.h"
#include "fake_mail_ports.h"
#include "mail_attachment.h"
#include "mail_security.h"
#include "memory_settings_store.h"
#include "scripted_server.h"
#include "work_gate.h"

using mailtest::FakeMailPorts;
using mailtest::FakeTransport;
using mailtest::Script;
using mailtest::ServerSession;
using vistrel::MailOutcome;

namespace {

class SendMailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/mailtestXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    ports.folder = std::string(pattern) + "/";
    store.SaveSetting("Mail", "SMTP_Server", "127.0.0.1:2525");
    store.SaveSetting("Mail", "Reply_Address", "me@sender.test");
    in.mailTo = "you@there.test";
    in.subject = "Screen shot";
    in.msgBody = "Here it is.\r\n.A line with a dot\r\nBye";
    in.formatEntry = "jpg-JEPG File";
  }
  void TearDown() override { std::filesystem::remove_all(ports.folder); }

  MailOutcome Send() {
    session = std::make_unique<ServerSession>(script);
    mail::MailControl control([this] { return std::make_unique<FakeTransport>(*session, refuse); });
    control.charset = "windows-1252";
    control.timeouts.replyMs = 300;
    control.timeouts.dataEndMs = 300;
    control.timeouts.sliceMs = 10;
    return vistrel::SendMail(in, ports, store, control);
  }

  // The mail as it arrived, parsed by Python's email package.
  std::map<std::string, std::string> Parsed() {
    const std::string path = ports.folder + "arrived.eml";
    std::string text = session->data;  // undo the dot-stuffing, as a server does
    for (size_t at = 0; (at = text.find("\r\n..", at)) != std::string::npos; at += 3)
      text.erase(at + 2, 1);
    FakeMailPorts::Write(path, text);
    std::map<std::string, std::string> fields;
    FILE* pipe = popen(("python3 " VISTREL_PARSE_MAIL " " + path).c_str(), "r");
    char line[4096];
    while (pipe && fgets(line, sizeof line, pipe)) {
      std::string entry(line);
      if (!entry.empty() && entry.back() == '\n') entry.pop_back();
      const size_t eq = entry.find('=');
      fields[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    if (pipe) pclose(pipe);
    return fields;
  }

  FakeMailPorts ports;
  vistrel::MemorySettingsStore store;
  vistrel::MailInputs in;
  Script script;
  bool refuse = false;
  std::unique_ptr<ServerSession> session;
};

TEST_F(SendMailTest, ThreeAttachmentCasesReadBackByAMailParser) {
  struct Case {
    bool zip, exe;
    const char* type;
    const char* disposition;
    const char* name;
    const char* content;
  };
  const Case cases[] = {
      {false, false, "image/jpeg", "inline", "2026_3_14_9_5_7.jpg", "\xFF\xD8jpeg.\r\n."},
      {true, false, "application/x-zip-compressed", "attachment", "2026_3_14_9_5_7.zip",
       "PK\xFF\xD8jpeg.\r\n."},
      {true, true, "application/octet-stream", "attachment", "2026_3_14_9_5_7.exe",
       "MZPK\xFF\xD8jpeg.\r\n."},
  };
  for (const Case& c : cases) {
    in.compressMail = c.zip;
    in.compileZipMail = c.exe;
    ports.status.clear();
    ASSERT_EQ(Send(), MailOutcome::Sent);
    auto mail = Parsed();
    EXPECT_EQ(mail["defects"], "0");
    EXPECT_EQ(mail["To"], "you@there.test");
    EXPECT_EQ(mail["From"], "me@sender.test");
    EXPECT_EQ(mail["Reply-To"], "me@sender.test");
    EXPECT_EQ(mail["Subject"], "Screen shot");
    EXPECT_EQ(mail["X-Mailer"], "Tarnwick Vistrel 99.0");
    EXPECT_EQ(mail["Message-ID"].rfind("<2026314", 0), 0u) << mail["Message-ID"];
    EXPECT_EQ(mail["date-parsed"], "True");
    EXPECT_EQ(mail["multipart"], "multipart/mixed");
    EXPECT_EQ(mail["body"], "Here it is.|.A line with a dot|Bye");
    EXPECT_EQ(mail["attachment-type"], c.type);
    EXPECT_EQ(mail["attachment-disposition"], c.disposition);
    EXPECT_EQ(mail["attachment-filename"], c.name);  // the name alone, no folder
    EXPECT_EQ(mail["attachment-defects"], "0");
    FakeMailPorts::Write(ports.folder + "expected", c.content);
    std::string md5;
    FILE* pipe = popen(("md5sum " + ports.folder + "expected").c_str(), "r");
    char line[128] = {};
    if (pipe && fgets(line, sizeof line, pipe)) md5 = std::string(line).substr(0, 32);
    if (pipe) pclose(pipe);
    EXPECT_EQ(mail["attachment-md5"], md5);
    std::filesystem::remove(ports.folder + "expected");
    std::filesystem::remove(ports.folder + "arrived.eml");
    EXPECT_TRUE(ports.Left().empty()) << "a temporary file was left";
  }
  const std::vector<std::string> exeLines = {"Creating temporary file...",
                                             "Creating temporary file...ok",
                                             "Converting temporary file to zip...",
                                             "Converting temporary file to zip...ok",
                                             "Converting zip file to exe...",
                                             "Converting zip file to exe...ok",
                                             "Encoding data...",
                                             "Encoding data...ok",
                                             "Connecting to 127.0.0.1:2525",
                                             "Sending mail to you@there.test",
                                             "Mail sent. Disconnecting... ",
                                             "Disconnected"};
  EXPECT_EQ(ports.status, exeLines);
  EXPECT_FALSE(ports.formOpen);
  EXPECT_EQ(ports.pointer, 0);
  EXPECT_EQ(session->port, 2525);
}

TEST_F(SendMailTest, TextOutsideAsciiArrivesAsTyped) {
  in.subject =
      "Gr\xFC\xDF"
      "e aus K\xF6ln";
  in.msgBody = "\xC4rger? Nein: \xE9t\xE9.";
  ASSERT_EQ(Send(), MailOutcome::Sent);
  auto mail = Parsed();
  EXPECT_EQ(mail["Subject"],
            "Gr\xC3\xBC\xC3\x9F"
            "e aus K\xC3\xB6ln");  // printed as UTF-8
  EXPECT_EQ(mail["body"], "\xC3\x84rger? Nein: \xC3\xA9t\xC3\xA9.");
  EXPECT_EQ(mail["body-charset"], "windows-1252");
}

TEST_F(SendMailTest, RefusalsBeforeAnythingIsWritten) {
  struct Case {
    std::string mailTo, subject;
    bool empty;
    const char* text;
  };
  const Case cases[] = {
      {"   ", "s", false, vistrel::kNoRecipient},
      {"you@there.test\r\nRCPT TO:<other@x.test>", "s", false, vistrel::kLineBreakRefused},
      {"you@there.test", "Hi\nBcc: many@x.test", false, vistrel::kLineBreakRefused},
      {"you@there.test", "s", true, vistrel::kNoPicture},
  };
  for (const Case& c : cases) {
    in.mailTo = c.mailTo;
    in.subject = c.subject;
    ports.emptyPicture = c.empty;
    ports.messages.clear();
    EXPECT_EQ(Send(), MailOutcome::Refused);
    EXPECT_EQ(ports.messages,
              (std::vector<std::string>{std::string("Tarnwick Vistrel|") + c.text + "|critical"}));
    EXPECT_FALSE(ports.formOpen);
    EXPECT_TRUE(ports.calls.empty());
    EXPECT_TRUE(session->commands.empty());
  }
}

TEST_F(SendMailTest, BitmapIsWrittenDirectlyAndConversionFailuresKeepTheWindow) {
  in.formatEntry = "bmp-Windows Bitmap";
  ASSERT_EQ(Send(), MailOutcome::Sent);
  EXPECT_EQ(ports.calls.front().rfind("bitmap ", 0), 0u);

  in.formatEntry = "png-Format";
  for (long code : {33203L, 7L}) {
    ports.convertResult = code;
    ports.messages.clear();
    EXPECT_EQ(Send(), MailOutcome::ConversionFailed);
    EXPECT_TRUE(ports.formOpen) << "the window stays with its lines";
    EXPECT_EQ(ports.status.back(), "Creating temporary file...ok");
    EXPECT_EQ(ports.pointer, 0);
    ASSERT_EQ(ports.messages.size(), 1u);
    if (code == 33203) {
      EXPECT_EQ(
          ports.messages[0],
          "Tarnwick Vistrel|Format not yet supported in this screen resolution / color depth.");
    } else {
      EXPECT_EQ(ports.messages[0],
                "Tarnwick Vistrel|SendMail-Error while converting. Please send this number to "
                "problems@tarnwick.example 7source=clipboard, dest=" +
                    ports.folder + "2026_3_14_9_5_7.png");
    }
  }
}

TEST_F(SendMailTest, TemporaryFolderThatCannotBeWrittenSaysWhyAndSendsNothing) {
  in.formatEntry = "png-Format";
  ports.convertResult = 33211;
  ports.writeError = 112;
  EXPECT_EQ(Send(), MailOutcome::ConversionFailed);
  ASSERT_EQ(ports.messages.size(), 1u);
  const std::string picture = ports.folder + "2026_3_14_9_5_7.png";
  EXPECT_EQ(ports.messages[0],
            "Tarnwick Vistrel|SendMail-Error while converting. Please send this number to "
            "problems@tarnwick.example 33211source=clipboard, dest=" +
                picture + "\nSystem text 112. (" + picture + ")");
  EXPECT_TRUE(session == nullptr || session->data.empty()) << "something was mailed";
  EXPECT_FALSE(std::filesystem::exists(picture));
}

TEST_F(SendMailTest, MissingSettingsOpenTheSetupDialogAndSendNothing) {
  for (const char* key : {"SMTP_Server", "Reply_Address"}) {
    SetUp();
    store.SaveSetting("Mail", key, "  ");
    ports.calls.clear();
    ports.messages.clear();
    EXPECT_EQ(Send(), MailOutcome::NoSettings);
    EXPECT_EQ(ports.messages,
              (std::vector<std::string>{std::string("Tarnwick Vistrel|") + vistrel::kNoSettings}));
    EXPECT_EQ(ports.calls.back(), "setup");
    EXPECT_FALSE(ports.formOpen);
    EXPECT_EQ(ports.pointer, 0);
    EXPECT_TRUE(ports.Left().empty());
    EXPECT_TRUE(session->commands.empty());
  }
}

TEST_F(SendMailTest, FailuresReportAndLeaveTheAddressBookAlone) {
  struct Case {
    bool refuse;
    std::string rcptReply;
    std::string shownLine;
    std::string message;
    std::string silentAt = "", closeAt = "";
  };
  const std::string stalled =
      "The server did not answer within 1 second (waiting for its reply to the mail's data).";
  const std::string hungUp =
      "The server closed the connection (waiting for its reply to the mail's data).";
  const Case cases[] = {
      {true, "", "Error 10061: Connection refused.", vistrel::kNoConnection},
      {false, "550 5.1.1 <you@there.test>: Recipient address rejected",
       "550 5.1.1 <you@there.test>: Recipient address rejected",
       "The mail server did not accept the mail:\r\n550 5.1.1 <you@there.test>: Recipient "
       "address rejected"},
      // A server that falls silent or hangs up after the data: what happened, not only the
      // connection's generic line.
      {false, "", "Error 10060: " + stalled, std::string(vistrel::kNoConnection) + "\r\n" + stalled,
       "."},
      {false, "", "Error 10054: " + hungUp, std::string(vistrel::kNoConnection) + "\r\n" + hungUp,
       "", "."},
  };
  for (const Case& c : cases) {
    refuse = c.refuse;
    script.silentAt = c.silentAt;
    script.closeAt = c.closeAt;
    script.replies["RCPT"] = c.rcptReply.empty() ? "250 2.1.5 Ok\r\n" : c.rcptReply + "\r\n";
    ports.messages.clear();
    ports.status.clear();
    EXPECT_EQ(Send(), MailOutcome::SendFailed);
    EXPECT_NE(std::find(ports.status.begin(), ports.status.end(), c.shownLine), ports.status.end());
    EXPECT_EQ(ports.messages,
              (std::vector<std::string>{"Tarnwick Vistrel (Error while sending mail)|" + c.message +
                                        "|critical"}));
    EXPECT_FALSE(ports.formOpen);
    EXPECT_EQ(ports.pointer, 0);
    EXPECT_TRUE(ports.Left().empty()) << "the temporary file goes after a failure too";
    EXPECT_EQ(store.GetSetting("Addressbook", "Last", "none"), "none");
    if (!c.refuse && c.silentAt.empty() && c.closeAt.empty()) {
      EXPECT_EQ(session->commands.back(), "QUIT");
    }
  }
}

TEST_F(SendMailTest, ServerDialogueIsShownAndLoggedOnlyWithMoreInfo) {
  ASSERT_EQ(Send(), MailOutcome::Sent);
  EXPECT_TRUE(ports.debugFile.empty());
  EXPECT_EQ(ports.status.size(), 8u);  // the operation's own lines only
  const size_t plain = ports.status.size();
  ports.status.clear();
  ports.moreInfo = true;
  ASSERT_EQ(Send(), MailOutcome::Sent);
  EXPECT_GT(ports.status.size(), plain + 5);
  EXPECT_NE(std::find(ports.status.begin(), ports.status.end(), "250 8BITMIME"),
            ports.status.end());
  EXPECT_EQ(ports.debugFile, ports.status);
  // The bar's values: starts at 0, ends at 100.
  ASSERT_FALSE(ports.progress.empty());
  EXPECT_EQ(ports.progress.front(), 0);
  EXPECT_EQ(ports.progress.back(), 100);
}

TEST_F(SendMailTest, ArchiveThatDoesNotHoldThePictureStopsTheSend) {
  // The packer reports nothing when it fails: without the check, its half-made file
  // (or nothing at all) would be attached and sent.
  struct Case {
    bool exe, packer, maker;
    std::string made;
    std::string lastLine;
  };
  const Case cases[] = {
      {false, false, true, "2026_3_14_9_5_7.zip", "Converting temporary file to zip..."},
      {true, false, true, "2026_3_14_9_5_7.zip", "Converting temporary file to zip..."},
      {true, true, false, "2026_3_14_9_5_7.exe", "Converting zip file to exe..."},
  };
  for (const Case& c : cases) {
    in.compressMail = true;
    in.compileZipMail = c.exe;
    ports.packerWrites = c.packer;
    ports.makerWrites = c.maker;
    ports.messages.clear();
    ports.status.clear();
    EXPECT_EQ(Send(), MailOutcome::PackingFailed);
    const std::string folder = ports.folder.substr(0, ports.folder.size() - 1);
    const std::string text =
        std::string(c.exe && c.packer ? "The self-extracting file \"" : "The zip-file \"") +
        c.made + "\" could not be written in the folder \"" + folder + "\". Nothing was sent.";
    EXPECT_EQ(ports.messages, (std::vector<std::string>{"Tarnwick Vistrel|" + text + "|critical"}));
    ASSERT_GE(ports.status.size(), 2u);
    EXPECT_EQ(ports.status[ports.status.size() - 2], c.lastLine)
        << "no \"...ok\" for a failed step";
    EXPECT_EQ(ports.status.back(), text);
    EXPECT_TRUE(ports.Left().empty()) << "a temporary file was left";
    EXPECT_TRUE(session->commands.empty()) << "the server was contacted";
    EXPECT_TRUE(ports.formOpen) << "the window stays with its lines, as after a conversion failure";
    EXPECT_EQ(ports.pointer, 0);
    EXPECT_FALSE(vistrel::WorkRunning());
  }
}

TEST_F(SendMailTest, UnexpectedErrorIsReportedWithItsStepAndLeavesNothing) {
  struct Case {
    bool zip;
    std::string throwAt;  // a call of the ports or a status line
    std::string step;
    bool contacted;
  };
  const Case cases[] = {
      {false, "convert ", "Creating temporary file...", false},
      {true, "zip ", "Converting temporary file to zip...", false},
      {true, "Encoding data...", "Encoding data...", false},
      {false, "Sending mail to ", "Sending mail to you@there.test", true},
  };
  for (const Case& c : cases) {
    in.compressMail = c.zip;
    ports.throwAt = c.throwAt;
    ports.messages.clear();
    ports.formOpen = false;
    EXPECT_EQ(Send(), MailOutcome::Aborted) << c.throwAt;
    EXPECT_EQ(ports.messages,
              (std::vector<std::string>{"Tarnwick Vistrel (Error while sending mail)|The mail was "
                                        "not sent: an unexpected error stopped it at \"" +
                                        c.step + "\" (" + c.throwAt +
                                        " failed). Its temporary files were removed.|critical"}));
    EXPECT_TRUE(ports.Left().empty()) << c.throwAt << ": a temporary file was left";
    EXPECT_FALSE(ports.formOpen) << c.throwAt;
    EXPECT_EQ(ports.pointer, 0) << c.throwAt;
    EXPECT_EQ(session->data, "") << c.throwAt << ": mail data went out";
    EXPECT_EQ(!session->commands.empty(), c.contacted) << c.throwAt;
    EXPECT_FALSE(vistrel::WorkRunning()) << c.throwAt;
  }
  // After the server took the mail the message must not claim it was not sent.
  ports.throwAt = "Disconnected";
  ports.messages.clear();
  EXPECT_EQ(Send(), MailOutcome::Aborted);
  EXPECT_NE(session->data, "");
  EXPECT_EQ(ports.messages,
            (std::vector<std::string>{
                "Tarnwick Vistrel (Error while sending mail)|The mail was sent, but an unexpected "
                "error stopped the work after it at \"Mail sent. Disconnecting... \" (Disconnected "
                "failed). Its temporary files were removed.|critical"}));
  EXPECT_TRUE(ports.Left().empty());

  ports.throwAt.clear();
  EXPECT_EQ(Send(), MailOutcome::Sent) << "the next send works";
}

TEST_F(SendMailTest, CommandsDuringASendAreRefused) {
  // The send lets events run: a click on a button that starts work (another
  // send, the preview's conversion) would change the picture being sent.
  int pumped = 0;
  bool refusedEachTime = true;
  ports.onDoEvents = [&] {
    ++pumped;
    refusedEachTime = refusedEachTime && vistrel::WorkRunning();
  };
  EXPECT_EQ(Send(), MailOutcome::Sent);
  EXPECT_GT(pumped, 0);
  EXPECT_TRUE(refusedEachTime);
  EXPECT_FALSE(vistrel::WorkRunning()) << "commands are taken again afterwards";
}

TEST(ProgressPercent, HundredMinusSecondOverFirst) {
  EXPECT_EQ(vistrel::ProgressPercent(0, 500), 0);
  EXPECT_EQ(vistrel::ProgressPercent(1000, 100000), 0);
  EXPECT_EQ(vistrel::ProgressPercent(1000, 50000), 50);
  EXPECT_EQ(vistrel::ProgressPercent(1000, 33), 99);
  EXPECT_EQ(vistrel::ProgressPercent(1000, 0), 100);
}

TEST(AddressBook, CaseIgnoredFirstFreeNumberAndLast) {
  vistrel::MemorySettingsStore store;
  store.SaveSetting("Addressbook", "1", "Anna@Example.test");
  store.SaveSetting("Addressbook", "2", "bob@example.test");
  EXPECT_EQ(vistrel::UpdateAddressBook(store, "anna@example.TEST"), 0);
  EXPECT_EQ(store.GetSetting("Addressbook", "3", "leer"), "leer");
  EXPECT_EQ(store.GetSetting("Addressbook", "Last", ""), "anna@example.TEST");
  EXPECT_EQ(vistrel::UpdateAddressBook(store, "carl@example.test"), 3);
  EXPECT_EQ(store.GetSetting("Addressbook", "3", ""), "carl@example.test");
  EXPECT_EQ(store.GetSetting("Addressbook", "Last", ""), "carl@example.test");
  // "LEER" stored by hand also ends the list.
  store.SaveSetting("Addressbook", "4", "LEER");
  EXPECT_EQ(vistrel::UpdateAddressBook(store, "dora@example.test"), 4);
}

TEST(AttachmentPartType, RegisteredImageTypesAndNamesWithoutFolders) {
  const std::pair<const char*, const char*> types[] = {{"jpg", "jpeg"},  {"tif", "tiff"},
                                                       {"png", "png"},   {"bmp", "bmp"},
                                                       {"pcx", "x-pcx"}, {"dcx", "x-dcx"}};
  for (const auto& [ext, sub] : types) {
    const auto type =
        vistrel::AttachmentPartType(std::string("C:\\Users\\a.b\\Temp\\1_2.") + ext, false, false);
    EXPECT_EQ(type.contentType, "image");
    EXPECT_EQ(type.subType, sub);
    EXPECT_EQ(type.disposition, std::string("inline; filename=\"1_2.") + ext + "\"");
  }
  EXPECT_EQ(vistrel::AttachmentPartType("C:\\T\\1.zip", true, false).parameters, "name=\"1.zip\"");
  EXPECT_EQ(vistrel::BoundaryText(0.123456789012), "12345678901_boundary");
  EXPECT_EQ(vistrel::MessageIdentifier({2026, 3, 14, 9, 5, 7}, "Tarnwick Vistrel"),
            "2026314"
            "32707_Tarnwick Vistrel");
}

}  // namespace

namespace {

class LoginPorts : public FakeMailPorts {
 public:
  std::string RevealPassword(const std::string& stored) override {
    return stored == "SEALED" ? "pa55-w0rd" : "";
  }
};

}  // namespace

TEST_F(SendMailTest, LoginStepsAreShownAndThePasswordNeverLogged) {
  store.SaveSetting("Mail", "SMTP_Server", "127.0.0.1");
  store.SaveSetting("Mail", "SMTP_Port", "587");
  store.SaveSetting("Mail", "SMTP_Security", "STARTTLS");
  store.SaveSetting("Mail", "SMTP_User", "me@sender.test");
  store.SaveSetting("Mail", "SMTP_Password", "SEALED");
  script.replies["EHLO"] = "250-test.example\r\n250 STARTTLS\r\n";
  script.replies["STARTTLS"] = "220 Go\r\n";
  for (const char* authReply : {"235 2.7.0 Accepted\r\n", "535 5.7.8 Bad credentials\r\n"}) {
    LoginPorts login;
    login.folder = ports.folder;
    login.moreInfo = true;
    script.authSecret = authReply;
    session = std::make_unique<ServerSession>(script);
    mail::MailControl control([this] { return std::make_unique<FakeTransport>(*session); });
    control.timeouts.replyMs = 300;
    control.timeouts.sliceMs = 10;
    const bool accepted = authReply[0] == '2';
    EXPECT_EQ(vistrel::SendMail(in, login, store, control),
              accepted ? MailOutcome::Sent : MailOutcome::SendFailed);
    EXPECT_EQ(session->port, 587);
    auto at = [&](const std::string& line) {
      return std::find(login.status.begin(), login.status.end(), line) - login.status.begin();
    };
    EXPECT_LT(at("Connecting to 127.0.0.1"), at("Securing connection..."));
    EXPECT_LT(at("Securing connection..."), at("Logging in as me@sender.test"));
    EXPECT_LT(at("Logging in as me@sender.test"), static_cast<long>(login.status.size()));
    // The login's reply once, though it is both a step and a line of the dialogue.
    const std::string reply = std::string(authReply).substr(0, std::strlen(authReply) - 2);
    EXPECT_EQ(std::count(login.status.begin(), login.status.end(), reply), accepted ? 1 : 2)
        << "the refusal's reply is shown once more with the error";
    for (const std::string& line : login.debugFile) {
      EXPECT_EQ(line.find("pa55-w0rd"), std::string::npos) << line;
      EXPECT_EQ(line.find("AG1lQHNlbmRlci50ZXN0AHBhNTUtdzByZA=="), std::string::npos) << line;
    }
    if (!accepted) {
      ASSERT_EQ(login.messages.size(), 1u);
      EXPECT_NE(login.messages[0].find("535 5.7.8 Bad credentials"), std::string::npos);
      EXPECT_NE(login.messages[0].find("me@sender.test"), std::string::npos);
    }
  }
}

// The reply limit is a stored setting; text that is not a number from 1 to an
// hour leaves the control's own limits, so a typo cannot make every wait endless or nil.
TEST(MailReplyLimit, StoredSecondsOrTheControlsOwn) {
  struct Case {
    const char* stored;
    int replyMs, dataEndMs;
  };
  const mail::SmtpTimeouts own;
  const Case cases[] = {
      {nullptr, own.replyMs, own.dataEndMs},
      {"30", 30000, 75000},
      {" 1 ", 1000, 2500},
      {"3600", 3600000, 9000000},
      {"0", own.replyMs, own.dataEndMs},
      {"3601", own.replyMs, own.dataEndMs},
      {"-5", own.replyMs, own.dataEndMs},
      {"ten", own.replyMs, own.dataEndMs},
      {"99999999999", own.replyMs, own.dataEndMs},
  };
  for (const Case& c : cases) {
    vistrel::MemorySettingsStore store;
    if (c.stored) store.SaveSetting("Mail", "SMTP_Timeout", c.stored);
    mail::MailControl control([] { return std::unique_ptr<mail::Transport>(); });
    vistrel::ApplyMailSecurity(store, {}, control);
    EXPECT_EQ(control.timeouts.replyMs, c.replyMs) << (c.stored ? c.stored : "none");
    EXPECT_EQ(control.timeouts.dataEndMs, c.dataEndMs) << (c.stored ? c.stored : "none");
    EXPECT_EQ(control.timeouts.connectMs, own.connectMs);
  }
}
