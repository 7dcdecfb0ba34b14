#include "sfx_status.h"

static const char *const kTexts[SFX_STATUS_COUNT] = {
    "OK",
    "no archive was found behind the program",
    "the archive's directory is missing (the file is incomplete)",
    "the archive's directory is damaged",
    "the archive is too large for this program",
    "not enough memory",
    "the archive is cut short or cannot be read",
    "the entry's header is damaged",
    "the entry uses a compression method this program cannot unpack",
    "the entry is encrypted",
    "the entry's compressed data is damaged",
    "CRC error: the unpacked data does not match the archive",
    "refused: the name points outside the target folder",
    "refused: the name is not a valid file name",
    "the name is too long",
    "the file could not be created",
    "the file could not be written",
    "cancelled",
};

const char *SfxStatusText(SfxStatus status) {
  if ((unsigned)status >= SFX_STATUS_COUNT) return "unknown error";
  return kTexts[status];
}
