#pragma once
// Reading SMTP server replies (RFC 5321 4.2): "250-first line" ... "250 last
// line". Kept free of any transport so that it can be tested and fuzzed alone.
#include <string>
#include <string_view>
#include <vector>

namespace mail {

struct ReplyLine {
  int code = 0;
  bool last = true;  // "250 text" ends the reply, "250-text" does not
  std::string text;  // after the code and its separator
};

// One line without its line end; false when it is not a reply line.
bool ParseReplyLine(std::string_view line, ReplyLine& out);

struct SmtpReply {
  int code = 0;
  std::vector<std::string> lines;  // whole lines as received, without line ends
  // The last line as the server wrote it, e.g. "550 5.1.1 No such user".
  std::string LastLine() const { return lines.empty() ? std::string() : lines.back(); }
};

// Collects received bytes into complete replies.
class ReplyReader {
 public:
  enum class State { NeedMore, Ready, Malformed };

  void Feed(std::string_view bytes) { buffer_.append(bytes); }
  // Ready: `reply` holds the next complete reply, taken from the buffer.
  // `onLine` sees each line as it is taken (may be empty).
  template <typename OnLine>
  State Next(SmtpReply& reply, OnLine&& onLine);
  State Next(SmtpReply& reply) {
    return Next(reply, [](const std::string&) {});
  }
  void Clear() {
    buffer_.clear();
    pending_ = SmtpReply{};
  }

 private:
  // The next whole line (CR LF or LF ended); false when none has arrived.
  bool TakeLine(std::string& line);
  std::string buffer_;
  SmtpReply pending_;  // lines of a multi-line reply read so far
};

// Longest reply line accepted (RFC 5321 allows 512 bytes; servers send longer).
inline constexpr size_t kMaxReplyLine = 4096;
// Most lines one reply may have (a server that never ends a reply is refused).
inline constexpr size_t kMaxReplyLines = 1000;

template <typename OnLine>
ReplyReader::State ReplyReader::Next(SmtpReply& reply, OnLine&& onLine) {
  std::string line;
  while (TakeLine(line)) {
    onLine(line);
    ReplyLine parsed;
    if (!ParseReplyLine(line, parsed)) return State::Malformed;
    if (!pending_.lines.empty() && parsed.code != pending_.code) return State::Malformed;
    pending_.code = parsed.code;
    pending_.lines.push_back(line);
    if (pending_.lines.size() > kMaxReplyLines) return State::Malformed;
    if (parsed.last) {
      reply = std::move(pending_);
      pending_ = SmtpReply{};
      return State::Ready;
    }
  }
  return buffer_.size() > kMaxReplyLine ? State::Malformed : State::NeedMore;
}

}  // namespace mail
