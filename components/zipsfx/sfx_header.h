/* The 256-byte block that the packer puts between this program and the
   archive: "MPU", flags, three lengths, then caption, default folder and
   command line. */
#ifndef VISTREL_ZIPSFX_SFX_HEADER_H
#define VISTREL_ZIPSFX_SFX_HEADER_H

#include <stddef.h>
#include <stdint.h>

#include "sfx_status.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
  SFX_HEADER_SIZE = 256,
  SFX_HEADER_TEXT_MAX = 249, /* caption + folder + command line together */
  SFX_FLAG_ASK_CMD_LINE = 0x01,
  SFX_FLAG_ASK_FILES = 0x02,
  SFX_FLAG_HIDE_OVERWRITE_BOX = 0x04,
  SFX_FLAG_OVERWRITE_ALWAYS = 0x08,
  SFX_FLAG_OVERWRITE_NEVER = 0x10
};

typedef enum SfxOverwrite {
  SFX_OVERWRITE_CONFIRM = 0,
  SFX_OVERWRITE_ALWAYS = 1,
  SFX_OVERWRITE_NEVER = 2
} SfxOverwrite;

#define SFX_DEFAULT_CAPTION "Self-extracting Archive"

typedef struct SfxHeader {
  uint8_t flags;
  SfxOverwrite overwrite;
  char caption[SFX_HEADER_TEXT_MAX + 1]; /* never empty: the default when none is set */
  char defaultDir[SFX_HEADER_TEXT_MAX + 1];
  char commandLine[SFX_HEADER_TEXT_MAX + 1];
} SfxHeader;

/* Reads a header; SFX_ERR_NO_HEADER when the signature or the lengths are wrong. */
SfxStatus SfxParseHeader(const uint8_t *bytes, size_t size, SfxHeader *out);

#ifdef __cplusplus
}
#endif
#endif
