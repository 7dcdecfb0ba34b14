#include "zip_test_archive.h"

#include <algorithm>
#include <cstring>

#include <zlib.h>

namespace ziptest {

void PutLe16(Bytes& b, std::size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

namespace {
void Append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
std::size_t Grow(Bytes& b, std::size_t n) {
  const std::size_t at = b.size();
  b.resize(at + n, 0);
  return at;
}
}  // namespace

TestArchive MakeArchive(const std::vector<TestEntry>& entries) {
  TestArchive a;
  Bytes& b = a.bytes;
  std::vector<uint32_t> crcs;
  for (const TestEntry& e : entries) {
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
    crcs.push_back(crc);
    const std::size_t at = Grow(b, 30);
    a.localOffsets.push_back(at);
    PutLe32(b, at, 0x04034B50);
    PutLe16(b, at + 4, 10);
    PutLe32(b, at + 14, crc);
    PutLe32(b, at + 18, static_cast<uint32_t>(e.data.size()));
    PutLe32(b, at + 22, static_cast<uint32_t>(e.data.size()));
    PutLe16(b, at + 26, static_cast<uint16_t>(e.name.size()));
    PutLe16(b, at + 28, static_cast<uint16_t>(e.extra.size()));
    Append(b, e.name);
    Append(b, e.extra);
    Append(b, e.data);
  }
  a.centralOffset = b.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TestEntry& e = entries[i];
    const std::size_t at = Grow(b, 46);
    PutLe32(b, at, 0x02014B50);
    PutLe16(b, at + 4, 20);
    PutLe16(b, at + 6, 10);
    PutLe32(b, at + 16, crcs[i]);
    PutLe32(b, at + 20, static_cast<uint32_t>(e.data.size()));
    PutLe32(b, at + 24, static_cast<uint32_t>(e.data.size()));
    PutLe16(b, at + 28, static_cast<uint16_t>(e.name.size()));
    PutLe32(b, at + 42, static_cast<uint32_t>(a.localOffsets[i]));
    Append(b, e.name);
  }
  const std::size_t centralSize = b.size() - a.centralOffset;
  const std::size_t at = Grow(b, 22);
  PutLe32(b, at, 0x06054B50);
  PutLe16(b, at + 8, static_cast<uint16_t>(entries.size()));
  PutLe16(b, at + 10, static_cast<uint16_t>(entries.size()));
  PutLe32(b, at + 12, static_cast<uint32_t>(centralSize));
  PutLe32(b, at + 16, static_cast<uint32_t>(a.centralOffset));
  return a;
}

bool MemorySource::Seek(int64_t position) {
  if (position < 0 || position > Size()) return false;
  if (seekLimit_ >= 0 && position > seekLimit_) return false;
  position_ = static_cast<std::size_t>(position);
  return true;
}

std::size_t MemorySource::Read(void* buffer, std::size_t count) {
  const std::size_t n = std::min(count, bytes_.size() - std::min(position_, bytes_.size()));
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

}  // namespace ziptest
