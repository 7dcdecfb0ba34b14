#pragma once
// A MIME message as the mail control assembles it: the header fields, the
// parts, and the text that goes over the wire (CR LF line ends throughout).
#include <string>
#include <string_view>
#include <vector>

namespace mail {

struct MimePart {
  std::string contentType = "text";
  std::string subType = "plain";
  std::string parameters;        // e.g. charset=windows-1252 or name="a.zip"
  std::string disposition;       // e.g. attachment; filename="a.zip"
  std::string transferEncoding;  // e.g. base64; empty for 7bit
  std::string body;              // already encoded, CR LF line ends
};

struct MimeMessage {
  std::string date;       // RFC 5322 date-time
  std::string from;
  std::string replyTo;
  std::string to;
  std::string subject;    // already encoded for a header
  std::string messageId;  // with its angle brackets
  std::vector<std::string> extraHeaders;  // complete "Name: value" lines
  // The message's own type; "multipart" puts every part after the first
  // boundary, anything else sends the first part alone.
  std::string contentType = "text";
  std::string subType = "plain";
  std::string parameters;
  std::string boundary;
  std::vector<MimePart> parts;
};

// The whole message, headers and body, ending in CR LF.
std::string Assemble(const MimeMessage& message);

// Local time with its distance from UTC.
struct MailTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int utcOffsetMinutes = 0;
};
// "Tue, 8 Dec 2026 14:30:27 +0100"
std::string DateText(const MailTime& time);
// The current local time (from the C library's clock and time zone).
MailTime CurrentMailTime();

// The text part: the body with CR LF line ends, 7bit when it is ASCII in
// short lines, quoted-printable otherwise, with its charset declared.
MimePart TextPart(std::string_view text, std::string_view charset);

// A Message-ID that is unique and well formed: the given identifier (blanks
// and other characters outside an atom become "."), a random tag, and the
// domain of the sender's address ("localhost" when it has none).
std::string MessageIdText(std::string_view identifier, std::string_view randomTag,
                          std::string_view senderAddress);

// The address inside angle brackets when there are any, else the trimmed text:
// what MAIL FROM and RCPT TO carry.
std::string AddressOnly(std::string_view text);

}  // namespace mail
