/* Unpacking the archive's entries into a target folder, through a small
   file-system interface so the same logic runs on Windows and in tests. */
#ifndef VISTREL_ZIPSFX_SFX_EXTRACT_H
#define VISTREL_ZIPSFX_SFX_EXTRACT_H

#include <stddef.h>
#include <stdint.h>

#include "sfx_archive.h"
#include "sfx_header.h"
#include "sfx_status.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { SFX_PATH_MAX = 260 };

/* Paths handed to a target are relative to the target folder, '\' separated. */
typedef struct SfxTarget {
  void *ctx;
  /* Optional: the stored name in the local code page; 0 on success. */
  int (*localName)(void *ctx, const char *stored, int utf8, char *out, size_t outSize);
  int (*exists)(void *ctx, const char *path);
  int (*makeDirs)(void *ctx, const char *path); /* 0 on success */
  /* Opens a new file that becomes `path` only when committed; NULL on failure. */
  void *(*create)(void *ctx, const char *path);
  int (*write)(void *ctx, void *file, const void *data, uint32_t size); /* 0 on success */
  /* Puts the finished file in place (replacing an existing one); 0 on success.
     The file is finished with either way. */
  int (*commit)(void *ctx, void *file, const char *path, const SfxEntry *entry);
  void (*discard)(void *ctx, void *file);
} SfxTarget;

typedef enum SfxAnswer {
  SFX_ANSWER_YES,
  SFX_ANSWER_YES_TO_ALL,
  SFX_ANSWER_NO,
  SFX_ANSWER_NO_TO_ALL,
  SFX_ANSWER_CANCEL
} SfxAnswer;

typedef struct SfxEvents {
  void *ctx;
  /* Asked when a file exists and the mode is to confirm; without it the
     existing file is kept. */
  SfxAnswer (*askOverwrite)(void *ctx, const char *path);
  /* Optional, before each entry; non-zero cancels the rest. */
  int (*progress)(void *ctx, const char *name);
  /* Optional: an entry that failed or was refused, with the stored name. */
  void (*problem)(void *ctx, const char *name, SfxStatus status);
} SfxEvents;

typedef struct SfxResult {
  uint32_t extracted, skipped, failed;
  int cancelled;
  SfxStatus firstError;
} SfxResult;

/* Extracts every entry (or those with a non-zero byte in `selected`, one per
   entry). Each file is written under a temporary name and put in place only
   when its size and CRC check out, so a damaged entry never replaces a good
   file. Entries that fail are reported and the rest still extracted.
   Returns SFX_OK, SFX_ERR_CANCELLED or the first entry's error. */
SfxStatus SfxExtractAll(const SfxArchive *archive, SfxOverwrite mode, const uint8_t *selected,
                        const SfxTarget *target, const SfxEvents *events, SfxResult *result);

/* The relative path an entry would be written to (SfxSafeName after the
   target's name conversion). */
SfxStatus SfxEntryPath(const SfxEntry *entry, const SfxTarget *target, char *out, size_t outSize,
                       int *isDir);

#ifdef __cplusplus
}
#endif
#endif
