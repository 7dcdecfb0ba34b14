#include "smtp_reply.h"

namespace mail {

bool ParseReplyLine(std::string_view line, ReplyLine& out) {
  if (line.size() < 3 || line.size() > kMaxReplyLine) return false;
  if (line[0] < '2' || line[0] > '5') return false;
  for (int i = 1; i < 3; ++i)
    if (line[i] < '0' || line[i] > '9') return false;
  out.code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
  if (line.size() == 3) {
    out.last = true;
    out.text.clear();
    return true;
  }
  if (line[3] != ' ' && line[3] != '-') return false;
  out.last = line[3] == ' ';
  out.text = std::string(line.substr(4));
  return true;
}

bool ReplyReader::TakeLine(std::string& line) {
  const size_t end = buffer_.find('\n');
  if (end == std::string::npos) return false;
  size_t length = end;
  if (length > 0 && buffer_[length - 1] == '\r') --length;
  line.assign(buffer_, 0, length);
  buffer_.erase(0, end + 1);
  return true;
}

}  // namespace mail
