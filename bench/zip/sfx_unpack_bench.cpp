// sfx_unpack_bench <archive> <runs>: the self-extractor's own unpacking code
// (its inflate, size and CRC checks) run over every entry of an archive held in
// memory, with the written bytes counted and dropped. Prints one line per run:
// milliseconds and bytes unpacked. What is timed is the unpacking itself, with
// no process start and no disk, which swing a whole self-extractor's run by
// more than the unpacking takes.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "sfx_archive.h"
#include "sfx_extract.h"

namespace {

struct Memory {
  std::vector<unsigned char> bytes;
};

int ReadAt(void* ctx, uint64_t offset, void* buf, uint32_t size) {
  const auto& bytes = static_cast<Memory*>(ctx)->bytes;
  if (offset > bytes.size() || size > bytes.size() - offset) return 1;
  std::memcpy(buf, bytes.data() + offset, size);
  return 0;
}

struct Count {
  uint64_t bytes = 0;
};

int Exists(void*, const char*) { return 0; }
int MakeDirs(void*, const char*) { return 0; }
void* Create(void* ctx, const char*) { return ctx; }
int Write(void* ctx, void*, const void*, uint32_t size) {
  static_cast<Count*>(ctx)->bytes += size;
  return 0;
}
int Commit(void*, void*, const char*, const SfxEntry*) { return 0; }
void Discard(void*, void*) {}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: sfx_unpack_bench <archive> <runs>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  Memory memory{std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {})};
  SfxSource source{&memory, ReadAt, memory.bytes.size()};
  SfxArchive archive;
  if (memory.bytes.empty() || SfxOpenArchive(&source, 0, &archive) != SFX_OK) {
    std::printf("cannot read %s\n", argv[1]);
    return 1;
  }
  const int runs = std::atoi(argv[2]);
  for (int i = 0; i < runs; ++i) {
    Count count;
    SfxTarget target{&count, nullptr, Exists, MakeDirs, Create, Write, Commit, Discard};
    SfxEvents events{};
    SfxResult result{};
    const auto start = std::chrono::steady_clock::now();
    const SfxStatus status =
        SfxExtractAll(&archive, SFX_OVERWRITE_ALWAYS, nullptr, &target, &events, &result);
    const auto end = std::chrono::steady_clock::now();
    if (status != SFX_OK || result.failed != 0) {
      std::printf("unpacking failed: %d\n", static_cast<int>(status));
      return 1;
    }
    std::printf("%.3f %llu\n", std::chrono::duration<double, std::milli>(end - start).count(),
                static_cast<unsigned long long>(count.bytes));
  }
  SfxCloseArchive(&archive);
  return 0;
}
