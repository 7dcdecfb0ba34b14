#include "scripted_server.h"

#include <chrono>
#include <thread>

namespace mailtest {

std::string ServerSession::Start() { return script_.greeting; }

std::string ServerSession::Answer(const std::string& verb, const std::string& reply) {
  if (verb == script_.closeAt) {
    closed = true;
    return {};
  }
  if (verb == script_.silentAt) silent = true;
  return silent ? std::string() : reply;
}

std::string ServerSession::Take(const std::string& bytes) {
  pending_ += bytes;
  std::string out;
  size_t end;
  while (!closed && (end = pending_.find("\r\n")) != std::string::npos) {
    const std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 2);
    if (loginLines_ > 0) {
      login += " " + line;
      out += Answer("AUTH", --loginLines_ ? "334 UGFzc3dvcmQ6\r\n" : script_.authSecret);
      continue;
    }
    if (inData_) {
      if (line == ".") {
        inData_ = false;
        out += Answer(".", script_.dataEnd);
      } else {
        data += line + "\r\n";
      }
      continue;
    }
    commands.push_back(line);
    const std::string verb = line.substr(0, line.find_first_of(" :"));
    const auto reply = script_.replies.find(verb);
    std::string text = reply == script_.replies.end() ? "500 unknown\r\n" : reply->second;
    if (verb == "EHLO" && secured) text = script_.ehloSecured;
    if (verb == "AUTH") {
      login = line.substr(5);
      if (line == "AUTH LOGIN") {
        loginLines_ = 2;
        text = "334 VXNlcm5hbWU6\r\n";
      } else {
        text = script_.authSecret;
      }
    }
    out += Answer(verb, text);
    if (verb == "DATA" && text.rfind("354", 0) == 0) inData_ = true;
  }
  return out;
}

mail::Transport::Io FakeTransport::Open(const std::string&, uint16_t port,
                                        mail::TransportError& error) {
  session_.port = port;
  if (refuse_) {
    error = {10061, "Connection refused."};
    return Io::Failed;
  }
  inbox_ = session_.Start();
  return Io::Done;
}

mail::Transport::Io FakeTransport::StartTls(const std::string& host, mail::TransportError&) {
  tlsHost = host;
  return Io::Pending;
}

mail::Transport::Io FakeTransport::WaitSecured(int, mail::TransportError& error) {
  if (tlsFailure.code != 0) {
    error = tlsFailure;
    return Io::Failed;
  }
  session_.secured = true;
  return Io::Done;
}

mail::Transport::Io FakeTransport::Send(std::string_view bytes, size_t& sent, int,
                                        mail::TransportError&) {
  if (session_.closed) return Io::Closed;
  // A few bytes at a time, as a busy network would take them.
  sent = std::min<size_t>(bytes.size(), 7000);
  inbox_ += session_.Take(std::string(bytes.substr(0, sent)));
  return Io::Done;
}

mail::Transport::Io FakeTransport::Receive(std::string& into, int waitMs, mail::TransportError&) {
  if (!inbox_.empty()) {
    into += inbox_;
    inbox_.clear();
    return Io::Done;
  }
  if (session_.closed) return Io::Closed;
  std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
  return Io::Pending;
}

}  // namespace mailtest
