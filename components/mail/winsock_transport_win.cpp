#include "winsock_transport_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

namespace mail {

namespace {

std::string SystemText(int code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length && buffer ? std::string(buffer, length) : std::string();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text.empty() ? "Network error " + std::to_string(code) + "." : text;
}

Transport::Io SocketFailure(int code, TransportError& error) {
  error = {code, SystemText(code)};
  return Transport::Io::Failed;
}

// Waits until the socket can be read (or written); 0 when the time ran out.
int Ready(SOCKET socket, bool forWrite, int waitMs, bool* failed = nullptr) {
  fd_set set, errors;
  FD_ZERO(&set);
  FD_ZERO(&errors);
  FD_SET(socket, &set);
  FD_SET(socket, &errors);
  timeval wait{waitMs / 1000, (waitMs % 1000) * 1000};
  const int result = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr,
                            failed ? &errors : nullptr, &wait);
  if (failed) *failed = result > 0 && FD_ISSET(socket, &errors);
  return result;
}

class WinsockTransport final : public Transport {
 public:
  WinsockTransport() { started_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
  ~WinsockTransport() override {
    Close();
    if (started_) WSACleanup();
  }

  Io Open(const std::string& host, uint16_t port, TransportError& error) override {
    Close();
    if (!started_) return SocketFailure(WSASYSNOTREADY, error);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    const int found = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses_);
    if (found != 0) {
      error = {found, "The mail server \"" + host + "\" was not found."};
      return Io::Failed;
    }
    next_ = addresses_;
    return StartNext(error);
  }

  Io WaitConnected(int waitMs, TransportError& error) override {
    if (socket_ == INVALID_SOCKET) return SocketFailure(WSAENOTCONN, error);
    bool failed = false;
    const int ready = Ready(socket_, true, waitMs, &failed);
    if (ready == 0) return Io::Pending;
    int code = 0;
    int size = sizeof code;
    getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &size);
    if (ready > 0 && !failed && code == 0) return Io::Done;
    if (code == 0) code = ready < 0 ? WSAGetLastError() : WSAECONNREFUSED;
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
    const int ready = Ready(socket_, true, waitMs);
    if (ready == 0) return Io::Pending;
    if (ready < 0) return SocketFailure(WSAGetLastError(), error);
    const int result = send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
    if (result == SOCKET_ERROR) {
      const int code = WSAGetLastError();
      if (code == WSAEWOULDBLOCK) return Io::Pending;
      if (code == WSAECONNRESET || code == WSAECONNABORTED) return Io::Closed;
      return SocketFailure(code, error);
    }
    sent = static_cast<size_t>(result);
    return Io::Done;
  }

  Io Receive(std::string& into, int waitMs, TransportError& error) override {
    if (socket_ == INVALID_SOCKET) return SocketFailure(WSAENOTCONN, error);
    const int ready = Ready(socket_, false, waitMs);
    if (ready == 0) return Io::Pending;
    if (ready < 0) return SocketFailure(WSAGetLastError(), error);
    char buffer[4096];
    const int result = recv(socket_, buffer, sizeof buffer, 0);
    if (result == 0) return Io::Closed;
    if (result == SOCKET_ERROR) {
      const int code = WSAGetLastError();
      if (code == WSAEWOULDBLOCK) return Io::Pending;
      if (code == WSAECONNRESET || code == WSAECONNABORTED) return Io::Closed;
      return SocketFailure(code, error);
    }
    into.append(buffer, static_cast<size_t>(result));
    return Io::Done;
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
    CloseSocket();
    if (addresses_) freeaddrinfo(addresses_);
    addresses_ = nullptr;
    next_ = nullptr;
  }

 private:
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
      socket_ = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
      if (socket_ == INVALID_SOCKET) {
        code = WSAGetLastError();
        continue;
      }
      u_long nonBlocking = 1;
      ioctlsocket(socket_, FIONBIO, &nonBlocking);
      if (connect(socket_, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0)
        return Io::Done;
      code = WSAGetLastError();
      if (code == WSAEWOULDBLOCK) return Io::Pending;
    }
    CloseSocket();
    return SocketFailure(code, error);
  }

  WSADATA data_{};
  bool started_ = false;
  SOCKET socket_ = INVALID_SOCKET;
  addrinfo* addresses_ = nullptr;
  const addrinfo* next_ = nullptr;
};

}  // namespace

std::unique_ptr<Transport> MakeWinsockTransport() { return std::make_unique<WinsockTransport>(); }

}  // namespace mail
