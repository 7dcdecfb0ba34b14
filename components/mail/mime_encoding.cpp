#include "mime_encoding.h"

#include <algorithm>
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

}  // namespace

std::string Base64(std::string_view bytes) {
  std::string out((bytes.size() + 2) / 3 * 4, '\0');
  WriteBase64(bytes, out.data());
  return out;
}

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

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsUtf8(std::string_view charset) {
  if (charset.size() != 5) return false;
  std::string lower(charset);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower == "utf-8";
}

// Bytes of the character that starts at text[at]: a UTF-8 sequence (the lead
// and its continuation bytes), a lead byte and its trail byte, or one byte.
size_t CharacterLength(std::string_view text, size_t at, bool utf8,
                       const std::function<bool(unsigned char)>& isLeadByte) {
  if (utf8) {
    size_t length = 1;
    while (length < 4 && at + length < text.size() &&
           (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
      ++length;
    return length;
  }
  const bool lead =
      isLeadByte && isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size();
  return lead ? 2 : 1;
}

// ASCII folded before blanks (RFC 5322): lines of at most 78 characters where
// the words allow, never a line of blanks alone. Empty when a word is too long
// for a line of 998 characters.
std::string FoldedAscii(std::string_view text, size_t column) {
  constexpr size_t kWanted = 78, kLimit = 998;
  std::string out;
  size_t lineStart = 0;  // in `text`
  size_t lineColumn = column;
  size_t lastBreak = std::string_view::npos;  // a blank after which a word follows
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsBlank(text[i]) && i + 1 < text.size() && !IsBlank(text[i + 1]) && i > lineStart)
      lastBreak = i;
    const size_t width = lineColumn + (i - lineStart) + 1;
    if (width > kWanted && lastBreak != std::string_view::npos && lastBreak > lineStart) {
      out.append(text.substr(lineStart, lastBreak - lineStart));
      out += "\r\n";
      lineStart = lastBreak;
      lineColumn = 0;
      lastBreak = std::string_view::npos;
    } else if (width > kLimit) {
      return {};
    }
  }
  out.append(text.substr(lineStart));
  return out;
}

// Text that a mail reader would take for an encoded word of its own.
bool LooksEncoded(std::string_view text) { return text.find("=?") != std::string_view::npos; }

}  // namespace

std::string HeaderText(std::string_view text, std::string_view charset,
                       const std::function<bool(unsigned char)>& isLeadByte, size_t column) {
  if (IsAscii(text) && !LooksEncoded(text)) {
    std::string folded = FoldedAscii(text, column);
    if (!folded.empty() || text.empty()) return folded;
  }
  // "=?" charset "?B?" ... "?=": at most 75 characters, and a line that holds
  // one at most 76 (RFC 2047); the first line also holds the field's name.
  constexpr size_t kWordLimit = 75, kLineLimit = 76;
  const size_t overhead = charset.size() + 7;
  const bool utf8 = IsUtf8(charset);
  std::string out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t lineRoom = out.empty() ? (kLineLimit > column ? kLineLimit - column : 0)
                                        : kLineLimit - 1;  // after the folding blank
    const size_t wordRoom = std::min(kWordLimit, lineRoom);
    const size_t room = wordRoom > overhead ? (wordRoom - overhead) / 4 * 3 : 0;
    size_t take = 0;
    while (at + take < text.size()) {
      const size_t width = CharacterLength(text, at + take, utf8, isLeadByte);
      // A word holds at least one character, however narrow the room.
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
