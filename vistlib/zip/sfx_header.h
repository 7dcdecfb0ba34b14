#pragma once
// The 256-byte header that sits between the self-extractor stub and the
// archive in a self-extracting executable.
#include <array>
#include <cstdint>
#include <optional>

#include "zip_settings.h"

namespace vistlib::zip {

constexpr std::size_t kSfxHeaderSize = 256;
constexpr std::size_t kSfxMaxTextBytes = 249;  // caption + default folder + command line

enum SfxFlag : uint8_t {
  kSfxFlagAskCmdLine = 0x01,
  kSfxFlagAskFiles = 0x02,
  kSfxFlagHideOverWriteBox = 0x04,
  kSfxFlagOverwriteAlways = 0x08,
  kSfxFlagOverwriteNever = 0x10,
};

using SfxHeader = std::array<uint8_t, kSfxHeaderSize>;

// "MPU", flags, the three lengths, the three texts, zeros. Nothing when the
// texts together exceed kSfxMaxTextBytes.
std::optional<SfxHeader> BuildSfxHeader(const ZipSettings& settings);

}  // namespace vistlib::zip
