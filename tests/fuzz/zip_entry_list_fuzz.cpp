// An existing archive that AddToZip adds to: its entry list is read byte by
// byte, from the start of a zip or past the stub of a self-extractor.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz_target.h"
#include "zip_entry_list.h"

namespace {

class MemoryFile final : public vistlib::zip::ByteSource {
 public:
  MemoryFile(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  bool Seek(int64_t position) override {
    if (position < 0) return false;
    position_ = static_cast<size_t>(position);
    return true;
  }
  size_t Read(void* buffer, size_t count) override {
    if (position_ >= bytes_.size()) return 0;
    const size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

}  // namespace

VISTREL_FUZZ_TARGET(zip_entry_list) {
  // The first byte picks how the file is named, which decides where the scan starts.
  if (size == 0) return;
  const char* name = (data[0] & 1) ? "C:\\Out\\Vistrel.EXE" : "C:\\Out\\Vistrel.zip";
  MemoryFile file(data + 1, size - 1);
  const auto result = vistlib::zip::ReadZipEntries(file, name);
  for (const auto& entry : result.entries) FUZZ_REQUIRE(entry.name.size() == entry.nameLength);
}
