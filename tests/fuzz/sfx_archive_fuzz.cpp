// What a self-extractor finds behind its own program: the header block, the
// archive's central directory, and the entries it unpacks. Whatever the
// archive holds, nothing may be written outside the target folder.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "fuzz_target.h"
#include "sfx_archive.h"
#include "sfx_extract.h"
#include "sfx_fakes.h"
#include "sfx_header.h"
#include "sfx_image.h"
#include "sfx_path_check.h"

namespace {

// A target folder that keeps the paths it is asked for, not the bytes: an
// archive may announce gigabytes.
struct PathFolder {
  std::set<std::string> paths;
  int open = 0;

  static PathFolder* Self(void* ctx) { return static_cast<PathFolder*>(ctx); }
  SfxTarget Target() {
    return SfxTarget{
        this,
        nullptr,
        [](void* ctx, const char* path) -> int { return Self(ctx)->paths.count(path) > 0; },
        [](void* ctx, const char* path) -> int {
          Self(ctx)->paths.insert(path);
          return 0;
        },
        [](void* ctx, const char* path) -> void* {
          Self(ctx)->paths.insert(path);
          ++Self(ctx)->open;
          return ctx;
        },
        [](void*, void*, const void*, uint32_t) -> int { return 0; },
        [](void* ctx, void*, const char* path, const SfxEntry*) -> int {
          Self(ctx)->paths.insert(path);
          --Self(ctx)->open;
          return 0;
        },
        [](void* ctx, void*) { --Self(ctx)->open; }};
  }
};

}  // namespace

VISTREL_FUZZ_TARGET(sfx_archive) {
  // As the program reads itself: the header and the archive follow the image;
  // bytes that are no image are taken as header and archive alone.
  uint64_t start = 0;
  if (SfxImageEnd(data, std::min<size_t>(size, SFX_IMAGE_HEAD_SIZE), &start) != SFX_OK ||
      start > size)
    start = 0;
  SfxHeader header;
  if (SfxParseHeader(data + start, size - start, &header) == SFX_OK) {
    FUZZ_REQUIRE(header.caption[0] != '\0');
    FUZZ_REQUIRE(std::strlen(header.caption) + std::strlen(header.defaultDir) +
                     std::strlen(header.commandLine) <= SFX_HEADER_TEXT_MAX);
    start += SFX_HEADER_SIZE;
  }

  sfx_test::MemorySource source;
  source.bytes.assign(reinterpret_cast<const char*>(data), size);
  const SfxSource s = source.Source();
  SfxArchive archive{};
  if (SfxOpenArchive(&s, start, &archive) != SFX_OK) return;
  FUZZ_REQUIRE(archive.directoryStart <= size);
  PathFolder folder;
  const SfxTarget target = folder.Target();
  const SfxEvents events{nullptr, nullptr, nullptr, nullptr};
  SfxResult result{};
  (void)SfxExtractAll(&archive, SFX_OVERWRITE_ALWAYS, nullptr, &target, &events, &result);
  FUZZ_REQUIRE(folder.open == 0);
  for (const auto& path : folder.paths) {
    if (!vistrel_fuzz::SafeRelative(path)) fprintf(stderr, "unsafe path [%s]\n", path.c_str());
    FUZZ_REQUIRE(vistrel_fuzz::SafeRelative(path));
  }
  SfxCloseArchive(&archive);
}
