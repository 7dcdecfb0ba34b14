#pragma once
// Hand-built zip archives for the reader tests: stored entries with local
// headers, a central directory and the end record.
#include <cstdint>
#include <string>
#include <vector>

#include "byte_file.h"

namespace ziptest {

using Bytes = std::vector<uint8_t>;

struct TestEntry {
  std::string name;
  std::string data;
  std::string extra;
};

struct TestArchive {
  Bytes bytes;
  std::vector<std::size_t> localOffsets;  // where each local header starts
  std::size_t centralOffset = 0;
};

TestArchive MakeArchive(const std::vector<TestEntry>& entries);

void PutLe16(Bytes& b, std::size_t at, uint16_t v);
void PutLe32(Bytes& b, std::size_t at, uint32_t v);

// A source over bytes; Seek fails past `seekLimit` (a file that shrank).
class MemorySource : public vistlib::zip::ByteSource {
 public:
  explicit MemorySource(Bytes bytes, int64_t seekLimit = -1)
      : bytes_(std::move(bytes)), seekLimit_(seekLimit) {}
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  bool Seek(int64_t position) override;
  std::size_t Read(void* buffer, std::size_t count) override;

 private:
  Bytes bytes_;
  int64_t seekLimit_;
  std::size_t position_ = 0;
};

}  // namespace ziptest
