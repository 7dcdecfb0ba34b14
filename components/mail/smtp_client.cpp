#include "smtp_client.h"

#include <algorithm>
#include <chrono>

#include "mime_encoding.h"

namespace mail {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

constexpr size_t kDataChunk = 64 * 1024;

}  // namespace

bool SplitServer(std::string_view server, std::string& host, uint16_t& port) {
  port = 25;
  std::string_view portText;
  if (!server.empty() && server.front() == '[') {
    const size_t close = server.find(']');
    if (close == std::string_view::npos) return false;
    host = std::string(server.substr(1, close - 1));
    if (close + 1 < server.size()) {
      if (server[close + 1] != ':') return false;
      portText = server.substr(close + 2);
      if (portText.empty()) return false;
    }
  } else {
    const size_t colon = server.rfind(':');
    host = std::string(server.substr(0, colon));
    if (colon != std::string_view::npos) {
      portText = server.substr(colon + 1);
      if (portText.empty()) return false;
    }
  }
  if (host.empty()) return false;
  if (!portText.empty()) {
    unsigned long value = 0;
    for (char c : portText) {
      if (c < '0' || c > '9' || value > 65535) return false;
      value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<uint16_t>(value);
  }
  return true;
}

SmtpClient::SmtpClient(Transport& transport, SmtpHooks hooks, SmtpTimeouts timeouts)
    : transport_(transport), hooks_(std::move(hooks)), timeouts_(timeouts) {}

SmtpClient::~SmtpClient() {
  if (open_) transport_.Close();
}

void SmtpClient::Debug(const std::string& line) {
  if (hooks_.debug) hooks_.debug(line);
}

bool SmtpClient::Fail(int code, std::string text, std::string serverReply) {
  error_ = {code, std::move(text), std::move(serverReply)};
  return false;
}

bool SmtpClient::TransportFail(Transport::Io io, const TransportError& error, const char* during) {
  mayQuit_ = false;
  switch (io) {
    case Transport::Io::Pending:
      return Fail(kTimedOut, std::string("The server did not answer in time (") + during + ").");
    case Transport::Io::Closed:
      return Fail(kConnectionClosed,
                  std::string("The server closed the connection (") + during + ").");
    default:
      return Fail(error.code, error.text.empty() ? std::string("Network error (") + during + ")."
                                                 : error.text);
  }
}

bool SmtpClient::Connect(const std::string& host, uint16_t port) {
  error_ = {};
  extensions_.clear();
  reader_.Clear();
  TransportError error;
  Transport::Io io = transport_.Open(host, port, error);
  open_ = io != Transport::Io::Failed;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.connectMs);
  while (io == Transport::Io::Pending) {
    const int wait = std::min(timeouts_.sliceMs, RemainingMs(deadline));
    io = transport_.WaitConnected(wait, error);
    if (io != Transport::Io::Pending || RemainingMs(deadline) == 0) break;
    if (hooks_.idle) hooks_.idle();
  }
  if (io != Transport::Io::Done) {
    TransportFail(io, error, "connecting");
    transport_.Close();
    open_ = false;
    return false;
  }
  mayQuit_ = true;

  SmtpReply reply;
  if (!ReadReply(reply, timeouts_.replyMs)) return false;
  if (reply.code != 220)
    return Fail(reply.code, "The server refused the connection.", reply.LastLine());

  const std::string name = transport_.LocalName();
  if (!Command("EHLO " + name, 0, timeouts_.replyMs)) return false;
  if (!ReadReply(reply, timeouts_.replyMs)) return false;
  if (reply.code == 250) {
    for (size_t i = 1; i < reply.lines.size(); ++i)
      extensions_.push_back(reply.lines[i].size() > 4 ? reply.lines[i].substr(4) : std::string());
    return true;
  }
  if (reply.code < 500)
    return Fail(reply.code, "The server refused the greeting.", reply.LastLine());
  // A server that does not know EHLO (a 5xx reply) still knows HELO.
  return Command("HELO " + name, 250, timeouts_.replyMs);
}

bool SmtpClient::SendMail(const std::string& from, const std::string& to,
                          std::string_view message) {
  error_ = {};
  if (!open_ || !mayQuit_) return Fail(kNotConnected, "There is no connection to the server.");
  std::string stuffed = DotStuffed(message);
  if (stuffed.size() < 2 || stuffed.compare(stuffed.size() - 2, 2, "\r\n") != 0) stuffed += "\r\n";

  std::string mailFrom = "MAIL FROM:<" + from + ">";
  for (const std::string& extension : extensions_) {
    if (Upper(extension).rfind("SIZE", 0) == 0) {
      mailFrom += " SIZE=" + std::to_string(message.size());
      break;
    }
  }
  if (!Command(mailFrom, 250, timeouts_.replyMs)) return false;
  if (!Command("RCPT TO:<" + to + ">", 250, timeouts_.replyMs)) return false;
  if (!Command("DATA", 354, timeouts_.replyMs)) return false;

  mayQuit_ = false;  // inside the data a QUIT would be read as text
  // The end mark goes with the last piece of the data, not on its own after it.
  stuffed += ".\r\n";
  if (!SendAll(stuffed, true)) return false;
  Debug(".");
  mayQuit_ = true;
  SmtpReply reply;
  if (!ReadReply(reply, timeouts_.dataEndMs)) return false;
  if (reply.code != 250)
    return Fail(reply.code, "The server did not accept the mail.", reply.LastLine());
  return true;
}

void SmtpClient::Quit() {
  if (!open_) return;
  if (mayQuit_) {
    // A short wait: the mail has been accepted or refused already.
    SmtpTimeouts saved = timeouts_;
    timeouts_.replyMs = std::min(timeouts_.replyMs, 5000);
    SmtpError kept = error_;
    if (Command("QUIT", 0, timeouts_.replyMs)) {
      SmtpReply reply;
      ReadReply(reply, timeouts_.replyMs);
    }
    error_ = kept;
    timeouts_ = saved;
  }
  transport_.Close();
  open_ = false;
  mayQuit_ = false;
}

bool SmtpClient::Command(const std::string& line, int expected, int timeoutMs) {
  Debug(line);
  if (!SendAll(line + "\r\n", false)) return false;
  if (expected == 0) return true;
  SmtpReply reply;
  if (!ReadReply(reply, timeoutMs)) return false;
  if (reply.code != expected) {
    const std::string verb = line.substr(0, line.find_first_of(":<"));
    return Fail(reply.code, "The server refused " + verb + ".", reply.LastLine());
  }
  return true;
}

bool SmtpClient::ReadReply(SmtpReply& reply, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string received;
  for (;;) {
    const auto state = reader_.Next(reply, [this](const std::string& line) { Debug(line); });
    if (state == ReplyReader::State::Ready) return true;
    if (state == ReplyReader::State::Malformed) {
      mayQuit_ = false;
      return Fail(kUnreadableReply, "The server's reply could not be read.");
    }
    TransportError error;
    received.clear();
    const int wait = std::min(timeouts_.sliceMs, RemainingMs(deadline));
    const Transport::Io io = transport_.Receive(received, wait, error);
    if (io == Transport::Io::Done) {
      reader_.Feed(received);
      continue;
    }
    if (io != Transport::Io::Pending || RemainingMs(deadline) == 0)
      return TransportFail(io, error, "waiting for its reply");
    if (hooks_.idle) hooks_.idle();
  }
}

bool SmtpClient::SendAll(std::string_view bytes, bool reportProgress) {
  const auto total = static_cast<long long>(bytes.size());
  auto report = [&](size_t done) {
    if (reportProgress && hooks_.progress)
      hooks_.progress(total, (total - static_cast<long long>(done)) * 100);
  };
  report(0);
  size_t done = 0;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.replyMs);
  while (done < bytes.size()) {
    TransportError error;
    size_t sent = 0;
    const size_t chunk = std::min(kDataChunk, bytes.size() - done);
    const int wait = std::min(timeouts_.sliceMs, RemainingMs(deadline));
    const Transport::Io io = transport_.Send(bytes.substr(done, chunk), sent, wait, error);
    if (io == Transport::Io::Done && sent > 0) {
      done += sent;
      report(done);
      deadline = Clock::now() + std::chrono::milliseconds(timeouts_.replyMs);
      if (hooks_.idle) hooks_.idle();
      continue;
    }
    if ((io != Transport::Io::Pending && io != Transport::Io::Done) || RemainingMs(deadline) == 0)
      return TransportFail(io == Transport::Io::Done ? Transport::Io::Pending : io, error,
                           "sending");
    if (hooks_.idle) hooks_.idle();
  }
  return true;
}

}  // namespace mail
