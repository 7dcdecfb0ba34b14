/* Little-endian field access for the file formats the self-extractor reads. */
#ifndef VISTREL_ZIPSFX_SFX_BYTES_H
#define VISTREL_ZIPSFX_SFX_BYTES_H

#include <stdint.h>

static inline uint32_t SfxLe16(const uint8_t *p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8; }
static inline uint32_t SfxLe32(const uint8_t *p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

#endif
