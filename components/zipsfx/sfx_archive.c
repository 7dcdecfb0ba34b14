#include "sfx_archive.h"

#include <stdlib.h>
#include <string.h>

#include "sfx_bytes.h"

enum { kEndRecord = 22, kMaxComment = 65535, kDirRecord = 46 };

static int HasSignature(const SfxSource *s, uint64_t offset, uint32_t signature) {
  uint8_t b[4];
  return offset + 4 <= s->size && s->readAt(s->ctx, offset, b, 4) == 0 && SfxLe32(b) == signature;
}

/* Finds the end-of-archive record, searching back over a possible comment. */
static SfxStatus FindEnd(const SfxSource *s, uint64_t start, uint64_t *pos, uint8_t rec[kEndRecord]) {
  uint64_t avail = s->size - start;
  uint32_t tail = (uint32_t)(avail < kEndRecord + kMaxComment ? avail : kEndRecord + kMaxComment);
  uint8_t *buf = (uint8_t *)malloc(tail);
  if (!buf) return SFX_ERR_NO_MEMORY;
  uint64_t tailStart = s->size - tail;
  SfxStatus status = SFX_ERR_NOT_ZIP;
  if (s->readAt(s->ctx, tailStart, buf, tail) != 0) {
    status = SFX_ERR_READ;
  } else {
    for (uint32_t i = tail - kEndRecord + 1; i-- > 0;) {
      if (SfxLe32(buf + i) == 0x06054b50u && i + kEndRecord + SfxLe16(buf + i + 20) <= tail) {
        memcpy(rec, buf + i, kEndRecord);
        *pos = tailStart + i;
        status = SFX_OK;
        break;
      }
    }
  }
  free(buf);
  return status;
}

static SfxStatus ReadDirectory(SfxArchive *a, const uint8_t *dir, uint32_t dirSize, uint32_t count) {
  a->entries = (SfxEntry *)calloc(count ? count : 1, sizeof(SfxEntry));
  a->names = (char *)malloc((size_t)dirSize + count + 1);
  if (!a->entries || !a->names) return SFX_ERR_NO_MEMORY;
  uint32_t pos = 0;
  char *names = a->names;
  for (uint32_t i = 0; i < count; ++i) {
    if (dirSize - pos < kDirRecord) return SFX_ERR_DIRECTORY;
    const uint8_t *r = dir + pos;
    if (SfxLe32(r) != 0x02014b50u) return SFX_ERR_DIRECTORY;
    uint32_t nameLen = SfxLe16(r + 28), extraLen = SfxLe16(r + 30), commentLen = SfxLe16(r + 32);
    if (dirSize - pos - kDirRecord < nameLen + extraLen + commentLen) return SFX_ERR_DIRECTORY;
    SfxEntry *e = &a->entries[i];
    e->flags = (uint16_t)SfxLe16(r + 8);
    e->method = (uint16_t)SfxLe16(r + 10);
    e->dosTime = (uint16_t)SfxLe16(r + 12);
    e->dosDate = (uint16_t)SfxLe16(r + 14);
    e->crc = SfxLe32(r + 16);
    e->compressedSize = SfxLe32(r + 20);
    e->size = SfxLe32(r + 24);
    e->localOffset = SfxLe32(r + 42);
    if (e->compressedSize == 0xffffffffu || e->size == 0xffffffffu ||
        e->localOffset == 0xffffffffu)
      return SFX_ERR_TOO_LARGE;
    memcpy(names, r + kDirRecord, nameLen);
    names[nameLen] = '\0';
    e->name = names;
    e->nameLength = nameLen;
    names += nameLen + 1;
    pos += kDirRecord + nameLen + extraLen + commentLen;
  }
  a->count = count;
  return SFX_OK;
}

SfxStatus SfxOpenArchive(const SfxSource *source, uint64_t start, SfxArchive *a) {
  memset(a, 0, sizeof *a);
  a->source = *source;
  if (start > source->size || source->size - start < kEndRecord) return SFX_ERR_NOT_ZIP;

  uint8_t end[kEndRecord];
  uint64_t endPos = 0;
  SfxStatus status = FindEnd(source, start, &endPos, end);
  if (status != SFX_OK) return status;
  if (endPos >= start + 20 && HasSignature(source, endPos - 20, 0x07064b50u)) return SFX_ERR_TOO_LARGE;
  uint32_t total = SfxLe16(end + 10), dirSize = SfxLe32(end + 12), dirOffset = SfxLe32(end + 16);
  if (SfxLe16(end + 4) != 0 || SfxLe16(end + 6) != 0 || SfxLe16(end + 8) != total)
    return SFX_ERR_DIRECTORY; /* spanned over several files */
  if (total == 0xffff || dirOffset == 0xffffffffu || dirSize == 0xffffffffu) return SFX_ERR_TOO_LARGE;

  uint64_t base = start;
  if (base + dirOffset + dirSize > endPos ||
      (total > 0 && !HasSignature(source, base + dirOffset, 0x02014b50u))) {
    /* Offsets adjusted to count from elsewhere: the directory ends where the
       end record starts, which fixes the base. */
    if (endPos < (uint64_t)dirOffset + dirSize) return SFX_ERR_DIRECTORY;
    base = endPos - dirSize - dirOffset;
    if (total > 0 && !HasSignature(source, base + dirOffset, 0x02014b50u)) return SFX_ERR_DIRECTORY;
  }
  a->base = base;
  a->directoryStart = base + dirOffset;

  uint8_t *dir = (uint8_t *)malloc(dirSize ? dirSize : 1);
  if (!dir) return SFX_ERR_NO_MEMORY;
  if (dirSize && source->readAt(source->ctx, a->directoryStart, dir, dirSize) != 0)
    status = SFX_ERR_READ;
  else
    status = ReadDirectory(a, dir, dirSize, total);
  free(dir);
  if (status != SFX_OK) SfxCloseArchive(a);
  return status;
}

void SfxCloseArchive(SfxArchive *a) {
  free(a->entries);
  free(a->names);
  a->entries = NULL;
  a->names = NULL;
  a->count = 0;
}
