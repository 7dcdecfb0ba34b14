#include "sfx_header.h"

#include <cstring>

namespace vistlib::zip {

std::optional<SfxHeader> BuildSfxHeader(const ZipSettings& settings) {
  const std::string& caption = settings.SFXCaption;
  const std::string& folder = settings.SFXDefaultDir;
  const std::string& command = settings.SFXCommandLine;
  if (caption.size() + folder.size() + command.size() > kSfxMaxTextBytes) return std::nullopt;

  SfxHeader header{};
  header[0] = 'M';
  header[1] = 'P';
  header[2] = 'U';
  uint8_t flags = 0;
  if (settings.SFXOptions.Has(SFXAskCmdLine)) flags |= kSfxFlagAskCmdLine;
  if (settings.SFXOptions.Has(SFXAskFiles)) flags |= kSfxFlagAskFiles;
  if (settings.SFXOptions.Has(SFXHideOverWriteBox)) flags |= kSfxFlagHideOverWriteBox;
  if (settings.SFXOverWriteMode == OvrAlways) flags |= kSfxFlagOverwriteAlways;
  if (settings.SFXOverWriteMode == OvrNever) flags |= kSfxFlagOverwriteNever;
  header[3] = flags;
  header[4] = static_cast<uint8_t>(caption.size());
  header[5] = static_cast<uint8_t>(folder.size());
  header[6] = static_cast<uint8_t>(command.size());
  std::size_t at = 7;
  for (const std::string* text : {&caption, &folder, &command}) {
    std::memcpy(header.data() + at, text->data(), text->size());
    at += text->size();
  }
  return header;
}

}  // namespace vistlib::zip
