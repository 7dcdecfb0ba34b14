// What a mail server answers, in whatever pieces the network hands it over.
#include <string_view>

#include "fuzz_target.h"
#include "smtp_reply.h"

VISTREL_FUZZ_TARGET(smtp_reply) {
  if (size == 0) return;
  // The first byte decides how the rest arrives: in pieces of 1 to 256 bytes.
  const size_t piece = static_cast<size_t>(data[0]) + 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  mail::ReplyReader reader;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    reader.Feed(bytes.substr(at, piece));
    for (;;) {
      mail::SmtpReply reply;
      const auto state = reader.Next(reply);
      if (state != mail::ReplyReader::State::Ready) {
        if (state == mail::ReplyReader::State::Malformed) return;
        break;
      }
      FUZZ_REQUIRE(reply.code >= 200 && reply.code <= 599);
      FUZZ_REQUIRE(!reply.lines.empty() && reply.lines.size() <= mail::kMaxReplyLines);
      for (const auto& line : reply.lines) FUZZ_REQUIRE(line.size() <= mail::kMaxReplyLine);
    }
  }
}
