// The mail control over the Winsock transport on real loopback sockets: the
// window's events run while the client waits for the server (not only
// between time slices), a quit request left in the queue does not make the
// waits spin, a mail larger than the sockets' buffers arrives whole, and a
// closed port is refused with the system's number. A slow name lookup keeps
// the window's events running and ends at the connection's deadline.
#include <gtest/gtest.h>
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <functional>
#include <thread>

#include "mail_control.h"
#include "scripted_server.h"
#include "winsock_transport_win.h"

namespace {

// The scripted server on a loopback port, one connection, in a thread.
// `beforeGreeting` runs after the connection is accepted; `smallWindow`
// gives the server a small receive buffer and a pause after DATA, so that
// the client's sends fill up and must wait.
class LoopbackServer {
 public:
  LoopbackServer(mailtest::Script script, std::function<void()> beforeGreeting = {},
                 bool smallWindow = false)
      : session_(std::move(script)),
        beforeGreeting_(std::move(beforeGreeting)),
        smallWindow_(smallWindow) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (smallWindow_) {
      const int size = 8192;
      setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size),
                 sizeof size);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    listen(listener_, 1);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    stop_ = true;
    thread_.join();
    closesocket(listener_);
    WSACleanup();
  }
  uint16_t port = 0;
  mailtest::ServerSession& Session() { return session_; }

 private:
  bool Readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{0, 20000};
    return select(0, &set, nullptr, nullptr, &wait) > 0;
  }
  void Serve() {
    while (!stop_ && !Readable(listener_)) {
    }
    if (stop_) return;
    const SOCKET client = accept(listener_, nullptr, nullptr);
    if (beforeGreeting_) beforeGreeting_();
    std::string out = session_.Start();
    bool paused = false;
    while (!stop_ && !session_.closed) {
      if (!out.empty()) send(client, out.data(), static_cast<int>(out.size()), 0);
      out.clear();
      if (smallWindow_ && !paused && !session_.commands.empty() &&
          session_.commands.back() == "DATA") {
        paused = true;
        Sleep(300);
      }
      if (!Readable(client)) continue;
      char buffer[4096];
      const int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      out = session_.Take(std::string(buffer, static_cast<size_t>(n)));
    }
    closesocket(client);
  }
  mailtest::ServerSession session_;
  std::function<void()> beforeGreeting_;
  bool smallWindow_;
  SOCKET listener_ = INVALID_SOCKET;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

void RunWindowEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

HANDLE handled = nullptr;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) SetEvent(handled);
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(WinsockTransport, WindowEventsRunWhileTheClientWaitsForTheServer) {
  WNDCLASSA type{};
  type.lpfnWndProc = Proc;
  type.hInstance = GetModuleHandleA(nullptr);
  type.lpszClassName = "MailWaitTest";
  RegisterClassA(&type);
  HWND window = CreateWindowA("MailWaitTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              type.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  handled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  // The server greets only after the client's window has run an event posted
  // to it while the client waits for that greeting.
  LoopbackServer server{mailtest::Script{}, [window] {
                          PostMessageA(window, WM_APP, 0, 0);
                          WaitForSingleObject(handled, 20000);
                        }};
  mail::MailControl m(mail::MakeWinsockTransport);
  m.server = "127.0.0.1:" + std::to_string(server.port);
  // One slice as long as the whole wait: only a wait that ends on window
  // input lets the event run before the deadline.
  m.timeouts.connectMs = m.timeouts.replyMs = m.timeouts.sliceMs = 15000;
  m.idle = RunWindowEvents;
  EXPECT_TRUE(m.Connect()) << m.Error().text;
  EXPECT_EQ(WaitForSingleObject(handled, 0), WAIT_OBJECT_0);
  m.Disconnect();
  CloseHandle(handled);
  DestroyWindow(window);
}

// A name server that answers after `delayMs`.
mail::NameLookup SlowLookup(DWORD delayMs) {
  return [delayMs](const char* host, const char* port, const addrinfo* hints, addrinfo** found) {
    Sleep(delayMs);
    return getaddrinfo(host, port, hints, found);
  };
}

TEST(WinsockTransport, ANameLookupRunsWithTheWindowsEventsAndWithinTheDeadline) {
  // A name server slower than the connection's deadline: the send gives up at
  // the deadline, says why, and the window's events ran meanwhile.
  mail::MailControl slow([] { return mail::MakeWinsockTransportWithLookup(SlowLookup(4000)); });
  slow.server = "localhost:2525";
  slow.timeouts.connectMs = 600;
  slow.timeouts.sliceMs = 50;
  int runs = 0;
  slow.idle = [&runs] { ++runs; };
  const DWORD started = GetTickCount();
  EXPECT_FALSE(slow.Connect());
  const DWORD took = GetTickCount() - started;
  EXPECT_GE(took, 550u);
  EXPECT_LT(took, 2000u);
  EXPECT_GE(runs, 5);
  EXPECT_EQ(slow.Error().code, mail::kTimedOut);
  EXPECT_EQ(slow.Error().text,
            "The mail server's name \"localhost\" could not be looked up in time.");

  // One that answers within the deadline: the mail goes, and the events ran
  // during the lookup too.
  LoopbackServer server{mailtest::Script{}};
  mail::MailControl m([] { return mail::MakeWinsockTransportWithLookup(SlowLookup(500)); });
  m.server = "127.0.0.1:" + std::to_string(server.port);
  m.sender = "me@here.test";
  m.recipient = "you@there.test";
  m.timeouts.sliceMs = 50;
  runs = 0;
  m.idle = [&runs] { ++runs; };
  ASSERT_TRUE(m.Assemble());
  ASSERT_TRUE(m.Connect()) << m.Error().text;
  EXPECT_GE(runs, 5);
  ASSERT_TRUE(m.Send()) << m.Error().text;
  m.Disconnect();
  EXPECT_EQ(server.Session().commands.back(), "QUIT");

  // A name that is not found is still said so.
  mail::MailControl unknown(mail::MakeWinsockTransport);
  unknown.server = "no-such-host.invalid";
  EXPECT_FALSE(unknown.Connect());
  EXPECT_EQ(unknown.Error().text, "The mail server \"no-such-host.invalid\" was not found.");
}

TEST(WinsockTransport, AQuitRequestKeptForTheMainLoopDoesNotMakeTheWaitsSpin) {
  // The program's event pump leaves a quit request in the queue for its main
  // loop, so the request is there again after every run of the events.
  LoopbackServer server{mailtest::Script{}, [] { Sleep(500); }};
  mail::MailControl m(mail::MakeWinsockTransport);
  m.server = "127.0.0.1:" + std::to_string(server.port);
  int runs = 0;
  m.idle = [&runs] {
    ++runs;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      DispatchMessageA(&message);
    }
  };
  PostQuitMessage(0);
  EXPECT_TRUE(m.Connect()) << m.Error().text;
  m.Disconnect();
  // Half a second of waiting for the greeting: a few dozen runs, not thousands.
  EXPECT_LT(runs, 200);
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(WinsockTransport, LargeMailArrivesWholeAndClosedPortIsRefused) {
  LoopbackServer server{mailtest::Script{}, {}, true};
  mail::MailControl m(mail::MakeWinsockTransport);
  m.server = "127.0.0.1:" + std::to_string(server.port);
  m.sender = "me@here.test";
  m.recipient = "you@there.test";
  m.bodyText = std::string(12000000, 'z');
  m.idle = RunWindowEvents;
  ASSERT_TRUE(m.Assemble());
  ASSERT_TRUE(m.Connect()) << m.Error().text;
  ASSERT_TRUE(m.Send()) << m.Error().text;
  m.Disconnect();
  EXPECT_EQ(server.Session().data.size(), m.Message().size());
  EXPECT_EQ(server.Session().commands.back(), "QUIT");

  // A port nobody listens on: the bound but never listening socket of a server that stopped.
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET unused = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(unused, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int size = sizeof address;
  getsockname(unused, reinterpret_cast<sockaddr*>(&address), &size);
  mail::MailControl refused(mail::MakeWinsockTransport);
  refused.server = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  EXPECT_FALSE(refused.Connect());
  EXPECT_EQ(refused.Error().code, WSAECONNREFUSED);
  closesocket(unused);
  WSACleanup();
}

}  // namespace
