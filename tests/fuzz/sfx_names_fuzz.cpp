#include <cstring>
#include <string>

#include "fuzz_target.h"
#include "sfx_names.h"
#include "sfx_path_check.h"

// The name checks alone, on any text: a path that passes is safe.
VISTREL_FUZZ_TARGET(sfx_names) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  char out[SFX_PATH_MAX];
  int isDir = 0;
  if (SfxSafeName(name.c_str(), out, sizeof out, &isDir) != SFX_OK) return;
  FUZZ_REQUIRE(std::memchr(out, '\0', sizeof out) != nullptr);
  FUZZ_REQUIRE(vistrel_fuzz::SafeRelative(out));
}
