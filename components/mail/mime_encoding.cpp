#include "mime_encoding.h"

#include <cstdint>

#include "line_ends.h"

namespace mail {

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";

// Writes the base64 text of `bytes` at `out`, (size + 2) / 3 * 4 characters;
// returns the end.
char* WriteBase64(std::string_view bytes, char* out) {
  const auto byte = [&bytes](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]));
  };
  const size_t whole = bytes.size() / 3 * 3;
  for (size_t i = 0; i < whole; i += 3) {
    const uint32_t v = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
    *out++ = kBase64[v >> 18];
    *out++ = kBase64[(v >> 12) & 63];
    *out++ = kBase64[(v >> 6) & 63];
    *out++ = kBase64[v & 63];
  }
  const size_t rest = bytes.size() - whole;
  if (rest > 0) {
    const uint32_t v = byte(whole) << 16 | (rest == 2 ? byte(whole + 1) << 8 : 0);
    *out++ = kBase64[v >> 18];
    *out++ = kBase64[(v >> 12) & 63];
    *out++ = rest == 2 ? kBase64[(v >> 6) & 63] : '=';
    *out++ = '=';
  }
  return out;
}

std::string Base64(std::string_view bytes) {
  std::string out((bytes.size() + 2) / 3 * 4, '\0');
  WriteBase64(bytes, out.data());
  return out;
}

}  // namespace

std::string Base64Lines(std::string_view bytes) {
  constexpr size_t kLineBytes = 57;  // 76 characters of base64
  const size_t lines = (bytes.size() + kLineBytes - 1) / kLineBytes;
  std::string out((bytes.size() + 2) / 3 * 4 + lines * 2, '\0');
  char* at = out.data();
  for (size_t from = 0; from < bytes.size(); from += kLineBytes) {
    at = WriteBase64(bytes.substr(from, kLineBytes), at);
    *at++ = '\r';
    *at++ = '\n';
  }
  return out;
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string CrLfLines(std::string_view text) { return vistrel::CrLfLines(text); }

std::string QuotedPrintable(std::string_view text) {
  std::string out;
  size_t lineStart = 0;
  while (lineStart <= text.size()) {
    size_t end = text.find("\r\n", lineStart);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view line = text.substr(lineStart, end - lineStart);
    size_t column = 0;
    for (size_t i = 0; i < line.size(); ++i) {
      const auto c = static_cast<unsigned char>(line[i]);
      // A blank at the end of a line would be lost on the way: encoded.
      const bool trailingBlank = (c == ' ' || c == '\t') && i + 1 == line.size();
      std::string piece;
      if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !trailingBlank)) {
        piece = static_cast<char>(c);
      } else {
        piece = {'=', kHex[c >> 4], kHex[c & 15]};
      }
      if (column + piece.size() > 75) {  // room for the soft break's "="
        out += "=\r\n";
        column = 0;
      }
      out += piece;
      column += piece.size();
    }
    if (last) break;
    out += "\r\n";
    lineStart = end + 2;
  }
  return out;
}

std::string HeaderText(std::string_view text, std::string_view charset,
                       const std::function<bool(unsigned char)>& isLeadByte) {
  if (IsAscii(text)) return std::string(text);
  // "=?" charset "?B?" ... "?=" within 75 characters.
  const size_t overhead = charset.size() + 7;
  const size_t room = overhead < 71 ? (75 - overhead) / 4 * 3 : 3;
  std::string out;
  size_t at = 0;
  while (at < text.size()) {
    size_t take = 0;
    while (at + take < text.size()) {
      const bool lead = isLeadByte && isLeadByte(static_cast<unsigned char>(text[at + take])) &&
                        at + take + 1 < text.size();
      const size_t width = lead ? 2 : 1;
      if (take + width > room && take > 0) break;
      take += width;
    }
    if (!out.empty()) out += "\r\n ";
    out += "=?" + std::string(charset) + "?B?" + Base64(text.substr(at, take)) + "?=";
    at += take;
  }
  return out;
}

std::string DotStuffed(std::string_view message) {
  std::string out;
  out.reserve(message.size() + 16);
  // Whole lines at a time: only a "." that starts one gets a second ".".
  size_t at = 0;
  while (at < message.size()) {
    const size_t end = message.find('\n', at);
    const size_t next = end == std::string_view::npos ? message.size() : end + 1;
    if (message[at] == '.') out += '.';
    out.append(message.data() + at, next - at);
    at = next;
  }
  return out;
}

}  // namespace mail
