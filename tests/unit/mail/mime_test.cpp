// The encodings and the message layout, checked against what a mail reader
// needs: 76-character base64 lines, quoted-printable and encoded words that
// decode to the typed bytes, dot-stuffing, header texts without line breaks.
#include <gtest/gtest.h>

#include "mail_control.h"
#include "mime_encoding.h"
#include "mime_message.h"

namespace {

std::string DecodeBase64(const std::string& text) {
  static const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  int bits = 0, value = 0;
  for (char c : text) {
    const size_t at = alphabet.find(c);
    if (at == std::string::npos) continue;
    value = value << 6 | static_cast<int>(at);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((value >> bits) & 0xff);
    }
  }
  return out;
}

TEST(Base64Lines, SeventySixCharactersPerLineAndRoundTrip) {
  for (size_t size : {0u, 1u, 2u, 3u, 56u, 57u, 58u, 1000u}) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(i * 37 + 11);
    const std::string text = mail::Base64Lines(bytes);
    size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
      EXPECT_LE(end - start, 76u);
      if (text.find("\r\n", end + 2) != std::string::npos) {
        EXPECT_EQ(end - start, 76u);
      }
      start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
    EXPECT_EQ(DecodeBase64(text), bytes) << size;
  }
  EXPECT_EQ(mail::Base64Lines("Ma"), "TWE=\r\n");
}

TEST(DotStuffed, OnlyLinesThatStartWithADot) {
  EXPECT_EQ(mail::DotStuffed(".a\r\nb.c\r\n.\r\n..\r\n"), "..a\r\nb.c\r\n..\r\n...\r\n");
}

TEST(HeaderText, AsciiStaysAndOtherTextBecomesShortEncodedWords) {
  EXPECT_EQ(mail::HeaderText("Screen shot", "windows-1252"), "Screen shot");
  const std::string typed = "Bildschirmfoto f\xFCr M\xFCller \xE4\xF6\xFC \xDF" + std::string(60, 'x');
  const std::string header = mail::HeaderText(typed, "windows-1252");
  std::string decoded;
  size_t at = 0;
  while ((at = header.find("=?windows-1252?B?", at)) != std::string::npos) {
    const size_t end = header.find("?=", at + 17);
    EXPECT_LE(end + 2 - at, 75u);
    decoded += DecodeBase64(header.substr(at + 17, end - at - 17));
    at = end;
  }
  EXPECT_EQ(decoded, typed);
  // A two-byte character is never split between two words.
  const std::string wide(80, '\x82');
  const std::string words = mail::HeaderText(wide, "shift_jis", [](unsigned char b) { return b == 0x82; });
  size_t start = 0;
  while ((at = words.find("?B?", start)) != std::string::npos) {
    const size_t end = words.find("?=", at);
    EXPECT_EQ(DecodeBase64(words.substr(at + 3, end - at - 3)).size() % 2, 0u);
    start = end;
  }
}

TEST(TextPart, DeclaresTheCharsetAndEncodesWhatIsNotPlainAscii) {
  mail::MimePart plain = mail::TextPart("Hello\nworld", "windows-1252");
  EXPECT_EQ(plain.parameters, "charset=windows-1252");
  EXPECT_EQ(plain.transferEncoding, "7bit");
  EXPECT_EQ(plain.body, "Hello\r\nworld");
  mail::MimePart accented = mail::TextPart("Gr\xFC\xDF" "e = ok \r\n" + std::string(100, 'y'), "windows-1252");
  EXPECT_EQ(accented.transferEncoding, "quoted-printable");
  EXPECT_EQ(accented.body.substr(0, 20), "Gr=FC=DFe =3D ok=20\r");
  size_t start = 0, end;
  while ((end = accented.body.find("\r\n", start)) != std::string::npos) {
    EXPECT_LE(end - start, 76u);
    start = end + 2;
  }
}

TEST(DateText, Rfc5322WithWeekdayAndOffset) {
  EXPECT_EQ(mail::DateText({2026, 12, 8, 14, 30, 27, 60}), "Tue, 8 Dec 2026 14:30:27 +0100");
  EXPECT_EQ(mail::DateText({2000, 2, 29, 0, 0, 0, -330}), "Tue, 29 Feb 2000 00:00:00 -0530");
}

TEST(MessageIdText, WellFormedAndUnique) {
  const std::string id = mail::MessageIdText("2026128_52227_Tarnwick Vistrel", "abc", "Me <me@host.test>");
  EXPECT_EQ(id, "<2026128_52227_Tarnwick.Vistrel.abc@host.test>");
  EXPECT_EQ(mail::MessageIdText("x", "r", "nobody"), "<x.r@localhost>");
  mail::MailControl a([] { return nullptr; }), b([] { return nullptr; });
  for (mail::MailControl* m : {&a, &b}) {
    m->sender = "me@host.test";
    m->messageIdentifier = "same";
    ASSERT_TRUE(m->Assemble());
  }
  auto idOf = [](const std::string& text) {
    const size_t at = text.find("Message-ID: ");
    return text.substr(at, text.find("\r\n", at) - at);
  };
  EXPECT_NE(idOf(a.Message()), idOf(b.Message()));
}

TEST(MailControl, RefusesHeaderTextsWithLineBreaks) {
  for (std::string mail::MailControl::*field :
       {&mail::MailControl::recipient, &mail::MailControl::subject, &mail::MailControl::sender}) {
    mail::MailControl m([] { return nullptr; });
    m.*field = "a@b.test\r\nBcc: victim@else.test";
    EXPECT_FALSE(m.Assemble());
    EXPECT_EQ(m.Error().code, mail::kLineBreakInHeader);
  }
}

}  // namespace
