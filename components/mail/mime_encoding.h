#pragma once
// The encodings a mail needs: base64 for attachments, quoted-printable for
// text outside ASCII, encoded words for such text in headers, and the
// transparency (dot-stuffing) of the SMTP data phase.
#include <functional>
#include <string>
#include <string_view>

namespace mail {

// Base64 on one line (no line end), in a buffer of exactly its size.
std::string Base64(std::string_view bytes);

// Base64 in lines of at most 76 characters, each ended by CR LF.
std::string Base64Lines(std::string_view bytes);

// Quoted-printable (RFC 2045): lines of at most 76 characters, CR LF line
// ends kept as line ends, soft breaks ("=" CR LF) inside longer lines.
std::string QuotedPrintable(std::string_view text);

// True when every byte is ASCII.
bool IsAscii(std::string_view text);

// True when the text has a carriage return or a line feed.
bool HasLineBreak(std::string_view text);

// Any line end (CR LF, lone CR, lone LF) becomes CR LF.
std::string CrLfLines(std::string_view text);

// A header value, folded into lines ("\r\n" and a blank between them) for a
// field whose value starts at `column` (the name, the colon and the blank).
// ASCII text stays as it stands, folded before its blanks (RFC 5322); other
// text, and ASCII with a word too long for a line, becomes encoded words
// ("=?charset?B?...?=", RFC 2047: a word at most 75 characters, a line that
// holds words at most 76). A word ends only between two characters: UTF-8
// sequences stay whole, and for two-byte code pages `isLeadByte` says which
// bytes begin a character (may be empty).
std::string HeaderText(std::string_view text, std::string_view charset,
                       const std::function<bool(unsigned char)>& isLeadByte = {},
                       size_t column = 0);

// The message as the SMTP data phase carries it: a "." added before every line
// that starts with "." (RFC 5321 4.5.2). The text must already have CR LF line ends.
std::string DotStuffed(std::string_view message);

}  // namespace mail
