#pragma once
// The byte stream the SMTP client talks over. Every wait is bounded, so the
// client can keep its own deadlines and let the window's events run between
// short waits; a transport may also end a wait early when window input
// arrives (Pending), so that the events run at once. A TLS layer wraps one
// transport in another.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace mail {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`; 0 once it has passed.
inline int RemainingMs(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

struct TransportError {
  int code = 0;  // the system's error number
  std::string text;
};

class Transport {
 public:
  enum class Io {
    Done,     // finished (connected, some bytes sent or received)
    Pending,  // nothing happened within the wait (or window input ended it)
    Closed,   // the other side closed the connection
    Failed,   // an error, described in the TransportError
  };

  virtual ~Transport() = default;
  // Starts connecting to host (name or address) and port.
  virtual Io Open(const std::string& host, uint16_t port, TransportError& error) = 0;
  // Waits at most waitMs for the connection that Open started. When it
  // returns Pending, `error.text` may say what is still awaited (for the
  // message when the caller's deadline passes).
  virtual Io WaitConnected(int waitMs, TransportError& error) = 0;
  // Sends a part of `bytes` within waitMs; `sent` is how many went.
  virtual Io Send(std::string_view bytes, size_t& sent, int waitMs, TransportError& error) = 0;
  // Appends to `into` what arrives within waitMs.
  virtual Io Receive(std::string& into, int waitMs, TransportError& error) = 0;
  // Our end of the connection as an EHLO argument, e.g. "[127.0.0.1]".
  virtual std::string LocalName() = 0;
  // Closes the connection (nothing happens when none is open).
  virtual void Close() = 0;

  // Starts TLS on the open connection with the server named `host` (its
  // certificate must be for that name). Transports without TLS fail.
  virtual Io StartTls(const std::string& host, TransportError& error) {
    (void)host;
    error = {kNoTls, "This connection cannot be encrypted."};
    return Io::Failed;
  }
  // Waits at most waitMs for the TLS handshake that StartTls began.
  virtual Io WaitSecured(int waitMs, TransportError& error) {
    (void)waitMs;
    error = {kNoTls, "This connection cannot be encrypted."};
    return Io::Failed;
  }
  // What the debug lines should say about the secured connection (a check
  // that could not be made); empty when there is nothing to say.
  virtual std::string SecurityNote() { return {}; }
  // Numbers of TLS failures.
  static constexpr int kNoTls = 10110;
  static constexpr int kTlsFailed = 10111;
  static constexpr int kBadCertificate = 10112;
};

}  // namespace mail
