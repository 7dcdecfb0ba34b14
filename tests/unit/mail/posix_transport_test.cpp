// The SMTP client over real loopback sockets: a POSIX transport (the
// product's is Winsock, with the same non-blocking waits) against the scripted
// server in a thread. Catches what a fake transport cannot: partial writes,
// replies split across reads, a listener that never answers, a closed port.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "mail_control.h"
#include "scripted_server.h"

namespace {

class PosixTransport : public mail::Transport {
 public:
  ~PosixTransport() override { Close(); }
  Io Open(const std::string& host, uint16_t port, mail::TransportError& error) override {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    fcntl(fd_, F_SETFL, O_NONBLOCK);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return Io::Done;
    if (errno == EINPROGRESS) return Io::Pending;
    return Fail(error);
  }
  Io WaitConnected(int waitMs, mail::TransportError& error) override {
    pollfd p{fd_, POLLOUT, 0};
    if (poll(&p, 1, waitMs) == 0) return Io::Pending;
    int code = 0;
    socklen_t size = sizeof code;
    getsockopt(fd_, SOL_SOCKET, SO_ERROR, &code, &size);
    if (code == 0) return Io::Done;
    errno = code;
    return Fail(error);
  }
  Io Send(std::string_view bytes, size_t& sent, int waitMs, mail::TransportError& error) override {
    pollfd p{fd_, POLLOUT, 0};
    if (poll(&p, 1, waitMs) == 0) return Io::Pending;
    const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0) return errno == EAGAIN ? Io::Pending : errno == EPIPE ? Io::Closed : Fail(error);
    sent = static_cast<size_t>(n);
    return Io::Done;
  }
  Io Receive(std::string& into, int waitMs, mail::TransportError& error) override {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, waitMs) == 0) return Io::Pending;
    char buffer[512];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n == 0) return Io::Closed;
    if (n < 0) return errno == EAGAIN ? Io::Pending : Fail(error);
    into.append(buffer, static_cast<size_t>(n));
    return Io::Done;
  }
  std::string LocalName() override { return "[127.0.0.1]"; }
  void Close() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  Io Fail(mail::TransportError& error) {
    error = {errno, std::strerror(errno)};
    return Io::Failed;
  }
  int fd_ = -1;
};

// The scripted server on a loopback port, one connection, in a thread.
class LoopbackServer {
 public:
  explicit LoopbackServer(mailtest::Script script) : session_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    listen(listener_, 1);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  uint16_t port = 0;
  mailtest::ServerSession& Session() { return session_; }

 private:
  void Serve() {
    pollfd p{listener_, POLLIN, 0};
    while (!stop_ && poll(&p, 1, 20) == 0) {}
    if (stop_) return;
    const int client = accept(listener_, nullptr, nullptr);
    std::string out = session_.Start();
    while (!stop_ && !session_.closed) {
      // Replies go out a few bytes at a time, so the client must put them together.
      for (size_t at = 0; at < out.size(); at += 5) {
        send(client, out.data() + at, std::min<size_t>(5, out.size() - at), MSG_NOSIGNAL);
      }
      out.clear();
      pollfd c{client, POLLIN, 0};
      if (poll(&c, 1, 20) <= 0) continue;
      char buffer[65536];
      const ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      out = session_.Take(std::string(buffer, static_cast<size_t>(n)));
    }
    close(client);
  }
  mailtest::ServerSession session_;
  int listener_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};


TEST(LoopbackSmtp, ALargeMailArrivesWhole) {
  LoopbackServer server{mailtest::Script{}};
  mail::MailControl m([] { return std::make_unique<PosixTransport>(); });
  m.server = "127.0.0.1:" + std::to_string(server.port);
  m.sender = "me@here.test";
  m.recipient = "you@there.test";
  m.bodyText = std::string(300000, 'z');
  ASSERT_TRUE(m.Assemble());
  ASSERT_TRUE(m.Connect()) << m.Error().text;
  ASSERT_TRUE(m.Send()) << m.Error().text;
  m.Disconnect();
  EXPECT_EQ(server.Session().data.size(), m.Message().size());
  EXPECT_EQ(server.Session().commands.back(), "QUIT");
}

TEST(LoopbackSmtp, SilentServerTimesOutAndClosedPortIsRefused) {
  mailtest::Script silent;
  silent.silentAt = "EHLO";
  LoopbackServer server{silent};
  mail::MailControl m([] { return std::make_unique<PosixTransport>(); });
  m.server = "127.0.0.1:" + std::to_string(server.port);
  m.timeouts.replyMs = 300;
  m.timeouts.sliceMs = 20;
  int idles = 0;
  m.idle = [&idles] { ++idles; };
  EXPECT_FALSE(m.Connect());
  EXPECT_EQ(m.Error().code, mail::kTimedOut);
  EXPECT_GT(idles, 5);

  m.Disconnect();
  mail::MailControl refused([] { return std::make_unique<PosixTransport>(); });
  refused.server = "127.0.0.1:1";
  EXPECT_FALSE(refused.Connect());
  EXPECT_EQ(refused.Error().code, ECONNREFUSED);
}

}  // namespace
