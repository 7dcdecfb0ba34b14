// The encodings and the message layout, checked against what a mail reader
// needs: 76-character base64 lines, quoted-printable and encoded words that
// decode to the typed bytes, dot-stuffing, header texts without line breaks.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

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
  const std::string typed =
      "Bildschirmfoto f\xFCr M\xFCller \xE4\xF6\xFC \xDF" + std::string(60, 'x');
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
  const std::string words =
      mail::HeaderText(wide, "shift_jis", [](unsigned char b) { return b == 0x82; });
  size_t start = 0;
  while ((at = words.find("?B?", start)) != std::string::npos) {
    const size_t end = words.find("?=", at);
    EXPECT_EQ(DecodeBase64(words.substr(at + 3, end - at - 3)).size() % 2, 0u);
    start = end;
  }
}

// The lines of a folded header field ("Subject: " and its value).
std::vector<std::string> FieldLines(const std::string& field) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = field.find("\r\n", start)) != std::string::npos) {
    lines.push_back(field.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(field.substr(start));
  return lines;
}

// The bytes of each encoded word of a header value, in order.
std::vector<std::string> WordBytes(const std::string& value, const std::string& charset) {
  std::vector<std::string> words;
  const std::string open = "=?" + charset + "?B?";
  for (size_t at = 0; (at = value.find(open, at)) != std::string::npos;) {
    const size_t end = value.find("?=", at + open.size());
    words.push_back(DecodeBase64(value.substr(at + open.size(), end - at - open.size())));
    at = end;
  }
  return words;
}

// True when `bytes` is whole UTF-8 characters (no sequence cut at either end).
bool WholeUtf8(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

void ExpectEncodedSubject(const std::string& typed, const std::string& charset,
                          const std::function<bool(const std::string&)>& whole,
                          const std::function<bool(unsigned char)>& isLeadByte = {}) {
  const std::string field = "Subject: " + mail::HeaderText(typed, charset, isLeadByte, 9);
  for (const std::string& line : FieldLines(field)) EXPECT_LE(line.size(), 76u) << line;
  std::string decoded;
  for (const std::string& word : WordBytes(field, charset)) {
    EXPECT_TRUE(whole(word)) << "a word ends inside a character";
    decoded += word;
  }
  EXPECT_EQ(decoded, typed);
}

// A reader decodes each encoded word on its own, so none may end inside a
// character, whatever the charset and however many bytes its characters take.
TEST(HeaderText, EncodedWordsEndBetweenCharacters) {
  std::string cyrillic;
  for (int i = 0; i < 30; ++i) cyrillic += "\xD0\x96";  // Ж
  ExpectEncodedSubject(cyrillic, "utf-8", WholeUtf8);
  ExpectEncodedSubject("Bild " + cyrillic, "UTF-8", WholeUtf8);
  std::string mixed;
  for (int i = 0; i < 40; ++i) mixed += "a\xE6\x97\xA5\xF0\x9F\x93\xB7\xC3\xA9";  // a 日 📷 é
  ExpectEncodedSubject(mixed, "utf-8", WholeUtf8);

  // Shift_JIS: lead bytes 0x81-0x9F and 0xE0-0xFC; a trail byte may look like
  // ASCII ("表" is 0x95 0x5C) and must stay with its lead.
  const auto sjisLead = [](unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  };
  const auto wholeSjis = [&](const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();
         i += sjisLead(static_cast<unsigned char>(bytes[i])) ? 2 : 1)
      if (i + 1 == bytes.size() && sjisLead(static_cast<unsigned char>(bytes[i]))) return false;
    return true;
  };
  std::string japanese;
  for (int i = 0; i < 25; ++i) japanese += i % 3 ? "\x95\x5C" : "x\x93\xFA";  // 表, x日
  ExpectEncodedSubject(japanese, "shift_jis", wholeSjis, sjisLead);
  // Big5 and GBK: lead bytes 0x81-0xFE, trail bytes from 0x40.
  const auto wideLead = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
  const auto wholeWide = [&](const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();
         i += wideLead(static_cast<unsigned char>(bytes[i])) ? 2 : 1)
      if (i + 1 == bytes.size() && wideLead(static_cast<unsigned char>(bytes[i]))) return false;
    return true;
  };
  std::string chinese;
  for (int i = 0; i < 33; ++i) chinese += i % 2 ? "\xA4\x40" : "a\xB0\xA1";
  ExpectEncodedSubject(chinese, "big5", wholeWide, wideLead);
  ExpectEncodedSubject(chinese, "gbk", wholeWide, wideLead);
}

// Long subjects: ASCII folds before its blanks into lines of at most 78
// characters and unfolds to the typed text; a word too long for a 998-character
// line, or text a reader would take for an encoded word, goes as encoded words.
TEST(HeaderText, LongSubjectsAreFoldedWithinTheLineLimits) {
  std::string words;
  for (int i = 0; words.size() < 2500; ++i)
    words += "word" + std::to_string(i) + (i % 7 ? " " : "  ");
  words += "end";
  const std::string field = "Subject: " + mail::HeaderText(words, "utf-8", {}, 9);
  std::string unfolded;
  for (const std::string& line : FieldLines(field)) {
    EXPECT_LE(line.size(), 78u) << line;
    EXPECT_NE(line.find_first_not_of(" \t"), std::string::npos) << "a line of blanks alone";
    unfolded += line;
  }
  EXPECT_EQ(unfolded, "Subject: " + words);

  EXPECT_EQ(mail::HeaderText("Screen shot", "utf-8", {}, 9), "Screen shot");
  // A word that fits a line of 998 after folding stays as it is.
  const std::string longWord = "short " + std::string(990, 'y');
  EXPECT_EQ(mail::HeaderText(longWord, "utf-8", {}, 9), "short\r\n " + std::string(990, 'y'));
  for (const std::string& typed : {std::string(1200, 'x'), "short " + std::string(998, 'y'),
                                   std::string("Price =?utf-8?B?SGk=?= today")}) {
    const std::string value = mail::HeaderText(typed, "windows-1252", {}, 9);
    std::string decoded;
    for (const std::string& word : WordBytes(value, "windows-1252")) decoded += word;
    EXPECT_EQ(decoded, typed);
    for (const std::string& line : FieldLines("Subject: " + value)) EXPECT_LE(line.size(), 76u);
  }
}

// The assembled mail read by Python's email package: the folded and encoded
// subjects come back as typed, with no defect found.
TEST(MailControl, LongSubjectsReadBackAsTyped) {
  std::string cyrillic;
  for (int i = 0; i < 30; ++i) cyrillic += "\xD0\x96";
  std::string words;
  while (words.size() < 1100) words += "Screen shot of the build log ";
  for (const std::string& subject : {cyrillic, words, std::string(1100, 'z')}) {
    mail::MailControl m([] { return nullptr; });
    m.charset = "utf-8";
    m.sender = "me@host.test";
    m.recipient = "you@there.test";
    m.subject = subject;
    m.bodyText = "x";
    ASSERT_TRUE(m.Assemble());
    const std::string path =
        (std::filesystem::temp_directory_path() / "vistrel-subject-test.eml").string();
    std::ofstream(path, std::ios::binary) << m.Message();
    std::map<std::string, std::string> fields;
    FILE* pipe = popen(("python3 " VISTREL_PARSE_MAIL " " + path).c_str(), "r");
    char line[8192];
    while (pipe && fgets(line, sizeof line, pipe)) {
      std::string entry(line);
      if (!entry.empty() && entry.back() == '\n') entry.pop_back();
      const size_t eq = entry.find('=');
      fields[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    if (pipe) pclose(pipe);
    std::filesystem::remove(path);
    EXPECT_EQ(fields["defects"], "0");
    EXPECT_EQ(fields["Subject"], subject);
    for (const std::string& wire : FieldLines(m.Message().substr(0, m.Message().find("\r\n\r\n"))))
      EXPECT_LE(wire.size(), 998u);
  }
}

TEST(TextPart, DeclaresTheCharsetAndEncodesWhatIsNotPlainAscii) {
  mail::MimePart plain = mail::TextPart("Hello\nworld", "windows-1252");
  EXPECT_EQ(plain.parameters, "charset=windows-1252");
  EXPECT_EQ(plain.transferEncoding, "7bit");
  EXPECT_EQ(plain.body, "Hello\r\nworld");
  mail::MimePart accented = mail::TextPart(
      "Gr\xFC\xDF"
      "e = ok \r\n" +
          std::string(100, 'y'),
      "windows-1252");
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
  const std::string id =
      mail::MessageIdText("2026128_52227_Tarnwick Vistrel", "abc", "Me <me@host.test>");
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
