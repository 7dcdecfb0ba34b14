#include "mime_message.h"

#include <cstdio>
#include <ctime>

#include "mime_encoding.h"

namespace mail {

namespace {

std::string TypeLine(const std::string& type, const std::string& subType,
                     const std::string& parameters) {
  std::string line = "Content-Type: " + type + "/" + subType;
  if (!parameters.empty()) line += ";\r\n\t" + parameters;
  return line + "\r\n";
}

std::string PartHeaders(const MimePart& part) {
  std::string out = TypeLine(part.contentType, part.subType, part.parameters);
  if (!part.transferEncoding.empty())
    out += "Content-Transfer-Encoding: " + part.transferEncoding + "\r\n";
  if (!part.disposition.empty()) out += "Content-Disposition: " + part.disposition + "\r\n";
  return out;
}

void EndLine(std::string& text) {
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) text += "\r\n";
}

std::string Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

bool IsAtomChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

}  // namespace

std::string Assemble(const MimeMessage& m) {
  std::string out;
  out += "Date: " + m.date + "\r\n";
  out += "From: " + m.from + "\r\n";
  if (!m.replyTo.empty()) out += "Reply-To: " + m.replyTo + "\r\n";
  out += "To: " + m.to + "\r\n";
  out += "Subject: " + m.subject + "\r\n";
  out += "Message-ID: " + m.messageId + "\r\n";
  for (const std::string& line : m.extraHeaders) out += line + "\r\n";
  out += "MIME-Version: 1.0\r\n";

  if (m.contentType != "multipart") {
    MimePart only = m.parts.empty() ? MimePart{} : m.parts.front();
    out += PartHeaders(only) + "\r\n" + only.body;
    EndLine(out);
    return out;
  }
  out += TypeLine(m.contentType, m.subType, m.parameters);
  out += "\r\nThis is a multi-part message in MIME format.\r\n";
  for (const MimePart& part : m.parts) {
    out += "\r\n--" + m.boundary + "\r\n" + PartHeaders(part) + "\r\n" + part.body;
    EndLine(out);
  }
  out += "\r\n--" + m.boundary + "--\r\n";
  return out;
}

std::string DateText(const MailTime& t) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // Day of the week (Sakamoto's method).
  static constexpr int kShift[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  const int month = t.month >= 1 && t.month <= 12 ? t.month : 1;
  const int y = month < 3 ? t.year - 1 : t.year;
  const int weekday = ((y + y / 4 - y / 100 + y / 400 + kShift[month - 1] + t.day) % 7 + 7) % 7;
  const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d", kDays[weekday],
                t.day, kMonths[month - 1], t.year, t.hour, t.minute, t.second,
                t.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

MailTime CurrentMailTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local = *std::localtime(&now);
  std::tm utc = *std::gmtime(&now);
  // The offset is the local clock read as if it were UTC, minus the real instant.
  utc.tm_isdst = local.tm_isdst;
  const double offset = std::difftime(std::mktime(&local), std::mktime(&utc));
  MailTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  t.utcOffsetMinutes = static_cast<int>(offset / 60);
  return t;
}

MimePart TextPart(std::string_view text, std::string_view charset) {
  MimePart part;
  part.parameters = "charset=" + std::string(charset);
  part.body = CrLfLines(text);
  bool shortLines = true;
  size_t lineStart = 0;
  while (shortLines && lineStart <= part.body.size()) {
    size_t end = part.body.find("\r\n", lineStart);
    if (end == std::string::npos) end = part.body.size();
    shortLines = end - lineStart <= 998;
    lineStart = end + 2;
  }
  if (!IsAscii(part.body) || !shortLines) {
    part.transferEncoding = "quoted-printable";
    part.body = QuotedPrintable(part.body);
  } else {
    part.transferEncoding = "7bit";
  }
  return part;
}

std::string MessageIdText(std::string_view identifier, std::string_view randomTag,
                          std::string_view senderAddress) {
  std::string left;
  for (char c : identifier) {
    const char kept = IsAtomChar(c) ? c : '.';
    if (kept == '.' && (left.empty() || left.back() == '.')) continue;
    left += kept;
  }
  if (!left.empty() && left.back() != '.') left += '.';
  left += std::string(randomTag);
  std::string domain;
  const std::string address = AddressOnly(senderAddress);
  const size_t at = address.rfind('@');
  if (at != std::string::npos) {
    for (char c : address.substr(at + 1))
      if (IsAtomChar(c) || c == '.') domain += c;
  }
  if (domain.empty()) domain = "localhost";
  return "<" + left + "@" + domain + ">";
}

std::string AddressOnly(std::string_view text) {
  const size_t open = text.rfind('<');
  if (open != std::string_view::npos) {
    const size_t close = text.find('>', open);
    if (close != std::string_view::npos) return Trim(text.substr(open + 1, close - open - 1));
  }
  return Trim(text);
}

}  // namespace mail
