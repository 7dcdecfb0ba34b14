#include "zip_entry_list.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace vistlib::zip {
namespace {

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr int64_t kLocalHeaderRest = 26;  // bytes after the signature
constexpr int64_t kEndRecordSize = 22;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

enum class HeaderOutcome { kGood, kCutShort, kBeyondEnd, kExtraSkipFailed, kDataSkipFailed };

// Reads the local header whose signature ends at `position` and skips its
// extra field and data. On success `next` is where the next record starts.
HeaderOutcome ReadLocalHeader(ByteSource& file, int64_t position, int64_t fileSize, ZipEntry& entry,
                              int64_t& next) {
  std::array<uint8_t, kLocalHeaderRest> h{};
  if (!file.Seek(position) || file.Read(h.data(), h.size()) != h.size()) {
    return HeaderOutcome::kCutShort;
  }
  entry.versionNeeded = Le16(&h[0]);
  entry.flags = Le16(&h[2]);
  entry.method = Le16(&h[4]);
  entry.modTime = Le16(&h[6]);
  entry.modDate = Le16(&h[8]);
  entry.crc = Le32(&h[10]);
  entry.compressedSize = Le32(&h[14]);
  entry.size = Le32(&h[18]);
  entry.nameLength = Le16(&h[22]);
  entry.extraLength = Le16(&h[24]);
  entry.name.assign(entry.nameLength, '\0');
  if (entry.nameLength > 0 && file.Read(entry.name.data(), entry.nameLength) != entry.nameLength) {
    return HeaderOutcome::kCutShort;
  }
  const int64_t afterName = position + kLocalHeaderRest + entry.nameLength;
  const int64_t afterExtra = afterName + entry.extraLength;
  const int64_t afterData = afterExtra + entry.compressedSize;
  if (afterData > fileSize - kEndRecordSize) return HeaderOutcome::kBeyondEnd;
  if (!file.Seek(afterExtra)) return HeaderOutcome::kExtraSkipFailed;
  if (!file.Seek(afterData)) return HeaderOutcome::kDataSkipFailed;
  next = afterData;
  return HeaderOutcome::kGood;
}

const char* MessageFor(HeaderOutcome outcome) {
  switch (outcome) {
    case HeaderOutcome::kCutShort:
      return "Error 2 reading Zip file";
    case HeaderOutcome::kBeyondEnd:
      return "Error 3 reading Zip file";
    case HeaderOutcome::kExtraSkipFailed:
      return "Error 4 reading Zip file";
    case HeaderOutcome::kDataSkipFailed:
      return "Error 5 reading Zip file";
    case HeaderOutcome::kGood:
      break;
  }
  return "";
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

EntryListResult ReadZipEntries(ByteSource& file, const std::string& fileName) {
  EntryListResult result;
  const int64_t fileSize = file.Size();
  const int64_t start = EndsWith(UpperAscii(fileName), ".EXE") ? kExeScanStart : 0;

  // The first header is looked for byte by byte in a window; matches that do
  // not hold a plausible header (a stub can contain the same four bytes) are
  // passed over.
  std::vector<uint8_t> window;
  if (fileSize > start && file.Seek(start)) {
    window.resize(static_cast<std::size_t>(std::min<int64_t>(kScanWindow, fileSize - start)));
    window.resize(file.Read(window.data(), window.size()));
  }
  static constexpr uint8_t kSignature[4] = {'P', 'K', 3, 4};
  auto from = window.begin();
  int64_t next = 0;
  for (;;) {
    auto match = std::search(from, window.end(), std::begin(kSignature), std::end(kSignature));
    if (match == window.end()) {
      result.message = "No valid zip entries found";
      return result;
    }
    const int64_t signatureAt = start + (match - window.begin());
    ZipEntry entry;
    const HeaderOutcome outcome = ReadLocalHeader(file, signatureAt + 4, fileSize, entry, next);
    if (outcome == HeaderOutcome::kGood) {
      result.entries.push_back(std::move(entry));
      break;
    }
    if (outcome == HeaderOutcome::kExtraSkipFailed || outcome == HeaderOutcome::kDataSkipFailed) {
      result.message = MessageFor(outcome);
      return result;
    }
    from = match + 1;
  }

  // From the first entry on, records follow one another.
  for (;;) {
    uint8_t sig[4];
    if (!file.Seek(next) || file.Read(sig, 4) != 4) {
      result.message = "Error reading Zip File";
      return result;
    }
    const uint32_t signature = Le32(sig);
    if (signature == kCentralSignature || signature == kEndSignature) return result;
    if (signature != kLocalSignature) {
      next += 4;
      continue;
    }
    ZipEntry entry;
    const HeaderOutcome outcome = ReadLocalHeader(file, next + 4, fileSize, entry, next);
    if (outcome != HeaderOutcome::kGood) {
      result.message = MessageFor(outcome);
      return result;
    }
    result.entries.push_back(std::move(entry));
  }
}

}  // namespace vistlib::zip
