#include "sfx_image.h"

#include "sfx_bytes.h"

SfxStatus SfxImageEnd(const uint8_t *head, size_t size, uint64_t *end) {
  if (size < 0x40 || head[0] != 'M' || head[1] != 'Z') return SFX_ERR_NO_HEADER;
  uint32_t pe = SfxLe32(head + 0x3C);
  if (pe > size || size - pe < 24 || SfxLe32(head + pe) != 0x00004550u) return SFX_ERR_NO_HEADER;
  const uint8_t *coff = head + pe + 4;
  uint32_t sections = SfxLe16(coff + 2);
  uint32_t optSize = SfxLe16(coff + 16);
  size_t opt = (size_t)pe + 24;
  size_t table = opt + optSize;
  if (sections == 0 || table > size || (size - table) / 40 < sections) return SFX_ERR_NO_HEADER;

  uint64_t last = table + (uint64_t)sections * 40;
  for (uint32_t i = 0; i < sections; ++i) {
    const uint8_t *s = head + table + (size_t)i * 40;
    uint32_t rawSize = SfxLe32(s + 16), rawPtr = SfxLe32(s + 20);
    if (rawSize != 0 && (uint64_t)rawPtr + rawSize > last) last = (uint64_t)rawPtr + rawSize;
  }
  /* A signature block sits after the sections and is addressed by file offset. */
  if (optSize >= 2) {
    uint32_t magic = SfxLe16(head + opt);
    size_t dirs = magic == 0x20b ? 112 : magic == 0x10b ? 96 : 0;
    if (dirs != 0 && optSize >= dirs + 5 * 8 && SfxLe32(head + opt + dirs - 4) > 4) {
      uint32_t certPtr = SfxLe32(head + opt + dirs + 32), certSize = SfxLe32(head + opt + dirs + 36);
      if (certSize != 0 && (uint64_t)certPtr + certSize > last) last = (uint64_t)certPtr + certSize;
    }
  }
  *end = last;
  return SFX_OK;
}
