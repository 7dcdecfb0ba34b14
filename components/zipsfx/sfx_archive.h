/* The zip archive behind the program, read through its central directory. */
#ifndef VISTREL_ZIPSFX_SFX_ARCHIVE_H
#define VISTREL_ZIPSFX_SFX_ARCHIVE_H

#include <stdint.h>

#include "sfx_status.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SfxSource {
  void *ctx;
  /* Reads exactly size bytes at offset; 0 on success. */
  int (*readAt)(void *ctx, uint64_t offset, void *buf, uint32_t size);
  uint64_t size;
} SfxSource;

typedef struct SfxEntry {
  const char *name; /* as stored, zero-terminated */
  uint32_t nameLength;
  uint16_t flags, method, dosTime, dosDate;
  uint32_t crc, compressedSize, size, localOffset;
} SfxEntry;

enum { SFX_ENTRY_ENCRYPTED = 0x0001, SFX_ENTRY_UTF8 = 0x0800 };

typedef struct SfxArchive {
  SfxSource source;
  uint64_t base;           /* file offset that the archive's own offsets count from */
  uint64_t directoryStart; /* no entry's data may reach past this */
  SfxEntry *entries;
  uint32_t count;
  char *names;
} SfxArchive;

/* Reads the directory of the archive that starts at `start` in the source.
   Its offsets normally count from there (the packer does not adjust them);
   an archive whose offsets were adjusted to count from the start of the file
   is recognised too. */
SfxStatus SfxOpenArchive(const SfxSource *source, uint64_t start, SfxArchive *archive);
void SfxCloseArchive(SfxArchive *archive);

#ifdef __cplusplus
}
#endif
#endif
