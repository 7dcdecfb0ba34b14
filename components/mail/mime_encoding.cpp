#include "mime_encoding.h"

#include <cstdint>

#include "line_ends.h"

namespace mail {

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";

std::string Base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                       static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kBase64[v >> 18];
    out += kBase64[(v >> 12) & 63];
    out += kBase64[(v >> 6) & 63];
    out += kBase64[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (rest == 2) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    out += kBase64[v >> 18];
    out += kBase64[(v >> 12) & 63];
    out += rest == 2 ? kBase64[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace

std::string Base64Lines(std::string_view bytes) {
  constexpr size_t kLineBytes = 57;  // 76 characters of base64
  std::string out;
  out.reserve(bytes.size() / kLineBytes * 78 + 80);
  for (size_t at = 0; at < bytes.size(); at += kLineBytes) {
    out += Base64(bytes.substr(at, kLineBytes));
    out += "\r\n";
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
  bool lineStart = true;
  for (char c : message) {
    if (lineStart && c == '.') out += '.';
    out += c;
    lineStart = c == '\n';
  }
  return out;
}

}  // namespace mail
