#include "winsock_transport_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// After Winsock 2, so that it does not bring the first Winsock.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

#include "system_text_win.h"

namespace mail {

namespace {


Transport::Io SocketFailure(int code, TransportError& error) {
  error = {code, vistrel::SystemText(static_cast<DWORD>(code), "Network error ")};
  return Transport::Io::Failed;
}

// A name lookup on a thread of its own: getaddrinfo has no time limit and
// cannot be cancelled, so the transport waits for `done` as it waits for its
// socket and, when its deadline passes first, leaves the lookup behind; the
// last of the two to let go frees it.
struct Lookup {
  Lookup(std::string hostName, std::string portText)
      : host(std::move(hostName)), port(std::move(portText)) {
    // Its own hold on Winsock, which must outlast a transport that gave up.
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~Lookup() {
    if (found) freeaddrinfo(found);
    if (done) CloseHandle(done);
    if (started) WSACleanup();
  }
  Lookup(const Lookup&) = delete;
  Lookup& operator=(const Lookup&) = delete;

  std::string host, port;
  WSADATA data{};
  bool started = false;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int code = 0;
  addrinfo* found = nullptr;
};

int SystemLookup(const char* host, const char* port, const addrinfo* hints, addrinfo** found) {
  return getaddrinfo(host, port, hints, found);
}

// The socket's operations are tried first and waited for only when they would
// block. A wait ends as soon as the socket has news (its event, set by
// WSAEventSelect) or the thread's window input arrives, so the caller runs
// the window's events at once instead of after a time slice, and no time is
// lost polling the socket.
class WinsockTransport final : public Transport {
 public:
  explicit WinsockTransport(NameLookup lookup)
      : lookupName_(lookup ? std::move(lookup) : NameLookup(SystemLookup)) {
    started_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0;
    if (started_) event_ = WSACreateEvent();
  }
  ~WinsockTransport() override {
    Close();
    if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
    if (started_) WSACleanup();
  }

  Io Open(const std::string& host, uint16_t port, TransportError& error) override {
    Close();
    if (!started_ || event_ == WSA_INVALID_EVENT) return SocketFailure(WSASYSNOTREADY, error);
    auto lookup = std::make_shared<Lookup>(host, std::to_string(port));
    if (!lookup->started || !lookup->done) return SocketFailure(WSASYSNOTREADY, error);
    try {
      std::thread([lookup, resolve = lookupName_] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        lookup->code = resolve(lookup->host.c_str(), lookup->port.c_str(), &hints, &lookup->found);
        SetEvent(lookup->done);
      }).detach();
    } catch (const std::system_error&) {
      return SocketFailure(WSAENOBUFS, error);
    }
    lookup_ = std::move(lookup);
    return Io::Pending;
  }

  Io WaitConnected(int waitMs, TransportError& error) override {
    if (lookup_) return WaitLookedUp(waitMs, error);
    if (socket_ == INVALID_SOCKET) return SocketFailure(WSAENOTCONN, error);
    WSANETWORKEVENTS events{};
    if (!Wait(waitMs, &events) || !(events.lNetworkEvents & FD_CONNECT)) return Io::Pending;
    const int code = events.iErrorCode[FD_CONNECT_BIT];
    if (code == 0) return Io::Done;
    // The next address of the name, if it has one (a name may stand for IPv6 and IPv4).
    if (next_ != nullptr) {
      TransportError ignored;
      if (StartNext(ignored) != Io::Failed) return Io::Pending;
    }
    return SocketFailure(code, error);
  }

  Io Send(std::string_view bytes, size_t& sent, int waitMs, TransportError& error) override {
    sent = 0;
    if (socket_ == INVALID_SOCKET) return SocketFailure(WSAENOTCONN, error);
    const auto attempt = [&] {
      const int result = send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
      if (result != SOCKET_ERROR) {
        sent = static_cast<size_t>(result);
        return Io::Done;
      }
      return Outcome(WSAGetLastError(), error);
    };
    Io io = attempt();
    // The socket's buffer is full: FD_WRITE comes when it has room again.
    if (io == Io::Pending && Wait(waitMs)) io = attempt();
    return io;
  }

  Io Receive(std::string& into, int waitMs, TransportError& error) override {
    if (socket_ == INVALID_SOCKET) return SocketFailure(WSAENOTCONN, error);
    const auto attempt = [&] {
      char buffer[16384];
      const int result = recv(socket_, buffer, sizeof buffer, 0);
      if (result == 0) return Io::Closed;
      if (result != SOCKET_ERROR) {
        into.append(buffer, static_cast<size_t>(result));
        return Io::Done;
      }
      return Outcome(WSAGetLastError(), error);
    };
    Io io = attempt();
    if (io == Io::Pending && Wait(waitMs)) io = attempt();
    return io;
  }

  std::string LocalName() override {
    sockaddr_storage address{};
    int size = sizeof address;
    char text[INET6_ADDRSTRLEN] = {};
    if (socket_ != INVALID_SOCKET &&
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
        getnameinfo(reinterpret_cast<sockaddr*>(&address), size, text, sizeof text, nullptr, 0,
                    NI_NUMERICHOST) == 0) {
      return address.ss_family == AF_INET6 ? "[IPv6:" + std::string(text) + "]"
                                           : "[" + std::string(text) + "]";
    }
    return "localhost";
  }

  void Close() override {
    lookup_.reset();  // a lookup still running finishes on its own and is freed then
    CloseSocket();
    if (addresses_) freeaddrinfo(addresses_);
    addresses_ = nullptr;
    next_ = nullptr;
  }

 private:
  static Io Outcome(int code, TransportError& error) {
    if (code == WSAEWOULDBLOCK) return Io::Pending;
    if (code == WSAECONNRESET || code == WSAECONNABORTED) return Io::Closed;
    return SocketFailure(code, error);
  }

  // The name's addresses once the lookup is done, and the connection to the
  // first of them started. While it runs, `error` says what is awaited, for
  // a caller whose deadline passes.
  Io WaitLookedUp(int waitMs, TransportError& error) {
    if (!WaitFor(lookup_->done, waitMs)) {
      error = {WSAETIMEDOUT,
               "The mail server's name \"" + lookup_->host + "\" could not be looked up in time."};
      return Io::Pending;
    }
    const std::shared_ptr<Lookup> lookup = std::move(lookup_);
    error = {};
    if (lookup->code != 0) {
      error = {lookup->code, "The mail server \"" + lookup->host + "\" was not found."};
      return Io::Failed;
    }
    addresses_ = std::exchange(lookup->found, nullptr);
    next_ = addresses_;
    return StartNext(error);
  }

  // Waits at most waitMs for `handle` (true) or for window input (false, as
  // when the time runs out). Input that was already in the queue when the
  // caller last looked does not end it. Input ends a wait at most once in
  // kInputPauseMs: input the caller cannot take out of the queue (a quit
  // request kept for the main loop) would otherwise end every wait at once,
  // and the caller would spin.
  bool WaitFor(HANDLE handle, int waitMs) {
    constexpr DWORD kInputPauseMs = 10;
    const DWORD sinceInput = GetTickCount() - inputWokeAt_;
    DWORD woke;
    if (inputWoke_ && sinceInput < kInputPauseMs) {
      woke = WaitForSingleObject(handle, std::min<DWORD>(waitMs, kInputPauseMs - sinceInput));
    } else {
      woke = MsgWaitForMultipleObjectsEx(1, &handle, static_cast<DWORD>(waitMs), QS_ALLINPUT, 0);
      inputWoke_ = woke == WAIT_OBJECT_0 + 1;
      if (inputWoke_) inputWokeAt_ = GetTickCount();
    }
    return woke == WAIT_OBJECT_0;
  }

  // Waits at most waitMs for news of the socket (true; `events` then says
  // which) or for window input (false, as when the time runs out).
  bool Wait(int waitMs, WSANETWORKEVENTS* events = nullptr) {
    if (!WaitFor(event_, waitMs)) return false;
    WSANETWORKEVENTS seen{};
    WSAEnumNetworkEvents(socket_, event_, &seen);  // also resets the event
    if (events) *events = seen;
    return true;
  }

  void CloseSocket() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }

  // Starts a connection to the next address of the name.
  Io StartNext(TransportError& error) {
    int code = WSAEADDRNOTAVAIL;
    while (next_ != nullptr) {
      const addrinfo* address = next_;
      next_ = next_->ai_next;
      CloseSocket();
      WSAResetEvent(event_);
      socket_ = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
      if (socket_ == INVALID_SOCKET) {
        code = WSAGetLastError();
        continue;
      }
      // Commands go out at once, not held back to be joined with later bytes.
      const BOOL noDelay = TRUE;
      setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                 sizeof noDelay);
      // Also makes the socket non-blocking.
      if (WSAEventSelect(socket_, event_, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0) {
        code = WSAGetLastError();
        continue;
      }
      if (connect(socket_, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0)
        return Io::Done;
      code = WSAGetLastError();
      if (code == WSAEWOULDBLOCK) return Io::Pending;
    }
    CloseSocket();
    return SocketFailure(code, error);
  }

  NameLookup lookupName_;
  std::shared_ptr<Lookup> lookup_;  // the name lookup under way
  WSADATA data_{};
  bool started_ = false;
  WSAEVENT event_ = WSA_INVALID_EVENT;
  bool inputWoke_ = false;  // the last wait ended on window input, at inputWokeAt_
  DWORD inputWokeAt_ = 0;
  SOCKET socket_ = INVALID_SOCKET;
  addrinfo* addresses_ = nullptr;
  const addrinfo* next_ = nullptr;
};

}  // namespace

std::unique_ptr<Transport> MakeWinsockTransport() {
  return std::make_unique<WinsockTransport>(nullptr);
}

std::unique_ptr<Transport> MakeWinsockTransportWithLookup(NameLookup lookup) {
  return std::make_unique<WinsockTransport>(std::move(lookup));
}

}  // namespace mail
