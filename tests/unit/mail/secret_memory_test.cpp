// The mail password leaves no readable copy in memory given back: every heap
// block freed while the settings are read, the login is made (AUTH PLAIN and
// AUTH LOGIN) and the control is reset and destroyed is searched for the
// password and its base64 forms. This binary replaces the global operator
// delete to look into each block before it is freed.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "mail_control.h"
#include "mail_security.h"
#include "memory_settings_store.h"
#include "secret_text.h"
#include "smtp_client.h"

namespace {

constexpr char kUser[] = "me@here.test";
constexpr char kPassword[] = "Zq8-a-pass-phrase-longer-than-a-short-string";
// base64 of the password, and of "\0me@here.test\0" + password (AUTH PLAIN).
constexpr char kPasswordWords[] = "WnE4LWEtcGFzcy1waHJhc2UtbG9uZ2VyLXRoYW4tYS1zaG9ydC1zdHJpbmc=";
constexpr char kPlainLogin[] =
    "AG1lQGhlcmUudGVzdABacTgtYS1wYXNzLXBocmFzZS1sb25nZXItdGhhbi1hLXNob3J0LXN0cmluZw==";

std::atomic<bool> watching{false};
std::atomic<int> found{0};

bool Holds(const char* block, size_t size, const char* secret, size_t length) {
  return std::search(block, block + size, secret, secret + length) != block + size;
}

void Inspect(void* block) {
  if (!block || !watching) return;
  const auto* bytes = static_cast<const char*>(block);
  const size_t size = malloc_usable_size(block);
  // The first 40 characters of each: a line cut short still counts. (Nothing
  // here may allocate: it runs inside operator delete.)
  for (const char* secret : {kPassword, kPasswordWords, kPlainLogin})
    if (Holds(bytes, size, secret, 40)) ++found;
}

}  // namespace

void* operator new(size_t size) {
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  Inspect(block);
  std::free(block);
}
void operator delete(void* block, size_t) noexcept {
  Inspect(block);
  std::free(block);
}

namespace {

// A server that answers each command without keeping what it was sent (its
// own copies would be found otherwise).
class ForgetfulServer final : public mail::Transport {
 public:
  explicit ForgetfulServer(bool loginWords) : loginWords_(loginWords) {}
  Io Open(const std::string&, uint16_t, mail::TransportError&) override {
    replies_ = "220 ready\r\n";
    return Io::Done;
  }
  Io WaitConnected(int, mail::TransportError&) override { return Io::Done; }
  Io StartTls(const std::string&, mail::TransportError&) override { return Io::Done; }
  Io WaitSecured(int, mail::TransportError&) override { return Io::Done; }
  Io Send(std::string_view bytes, size_t& sent, int, mail::TransportError&) override {
    sent = bytes.size();
    if (inData_) {
      inData_ = bytes.size() < 5 || bytes.substr(bytes.size() - 5) != "\r\n.\r\n";
      if (!inData_) replies_ += "250 queued\r\n";
      return Io::Done;
    }
    const std::string_view verb = bytes.substr(0, 4);
    if (loginLines_ > 0) {
      replies_ += --loginLines_ ? "334 UGFzc3dvcmQ6\r\n" : "235 ok\r\n";
    } else if (verb == "EHLO") {
      replies_ += loginWords_ ? "250-x\r\n250 AUTH LOGIN\r\n" : "250-x\r\n250 AUTH PLAIN\r\n";
    } else if (verb == "AUTH") {
      loginLines_ = loginWords_ ? 2 : 0;
      replies_ += loginWords_ ? "334 VXNlcm5hbWU6\r\n" : "235 ok\r\n";
    } else if (verb == "DATA") {
      inData_ = true;
      replies_ += "354 go\r\n";
    } else if (verb == "QUIT") {
      replies_ += "221 bye\r\n";
    } else {
      replies_ += "250 ok\r\n";
    }
    return Io::Done;
  }
  Io Receive(std::string& into, int, mail::TransportError&) override {
    if (replies_.empty()) return Io::Pending;
    into += replies_;
    replies_.clear();
    return Io::Done;
  }
  std::string LocalName() override { return "[127.0.0.1]"; }
  void Close() override {}

 private:
  bool loginWords_;
  bool inData_ = false;
  int loginLines_ = 0;
  std::string replies_;
};

TEST(SecretMemory, ThePasswordIsWipedBeforeItsMemoryIsFreed) {
  for (const bool loginWords : {false, true}) {
    found = 0;
    watching = true;
    {
      vistrel::MemorySettingsStore store;
      store.SaveSetting("Mail", "SMTP_User", kUser);
      store.SaveSetting("Mail", "SMTP_Password", "sealed");
      store.SaveSetting("Mail", "SMTP_Security", "TLS");
      mail::MailControl control(
          [loginWords] { return std::make_unique<ForgetfulServer>(loginWords); });
      // The stored form revealed as the program does it: a plain string that the
      // mail settings take over.
      vistrel::ApplyMailSecurity(
          store, [](const std::string&) { return std::string(kPassword); }, control);
      control.server = "mail.test";
      control.sender = control.recipient = kUser;
      control.timeouts.replyMs = 300;
      control.timeouts.sliceMs = 5;
      ASSERT_TRUE(control.Assemble());
      ASSERT_TRUE(control.Connect()) << control.Error().text;
      ASSERT_TRUE(control.Send()) << control.Error().text;
      control.Disconnect();
      control.Reset();
      vistrel::ApplyMailSecurity(
          store, [](const std::string&) { return std::string(kPassword); }, control);
    }
    watching = false;
    EXPECT_EQ(found, 0) << (loginWords ? "AUTH LOGIN" : "AUTH PLAIN");
  }
}

TEST(SecretMemory, WipeTextClearsBeyondTheLength) {
  std::string text(kPassword);
  text.resize(3);  // the rest of the password stays in the buffer, past the length
  const char* buffer = text.data();
  mail::WipeText(text);
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(std::count(buffer, buffer + std::strlen(kPassword), '\0'),
            static_cast<long>(std::strlen(kPassword)));
}

}  // namespace
