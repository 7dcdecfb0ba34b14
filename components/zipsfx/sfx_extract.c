#include "sfx_extract.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "sfx_bytes.h"
#include "sfx_names.h"

enum { kChunk = 32768, kLocalHeader = 30 };

/* The local-header signature "PK\3\4" must not appear in the stub's bytes: the
   packer's entry-list reader scans an executable from offset 14000 for it and
   would take a copy in our code for an entry. It is kept inverted, and the
   volatile flip stops the compiler from folding it back into one constant. */
static int IsLocalHeader(const uint8_t *h) {
  volatile uint32_t flip = 0xffffffffu;
  return SfxLe32(h) == (0xfbfcb4afu ^ flip);
}

typedef struct Buffers {
  uint8_t in[kChunk];
  uint8_t out[kChunk];
} Buffers;

SfxStatus SfxEntryPath(const SfxEntry *e, const SfxTarget *t, char *out, size_t outSize,
                       int *isDir) {
  char local[SFX_PATH_MAX * 2];
  *isDir = 0;
  if (strlen(e->name) != e->nameLength) return SFX_ERR_BAD_NAME; /* a zero byte inside */
  const char *name = e->name;
  if (t->localName) {
    if (t->localName(t->ctx, e->name, (e->flags & SFX_ENTRY_UTF8) != 0, local, sizeof local) != 0)
      return SFX_ERR_BAD_NAME;
    name = local;
  }
  return SfxSafeName(name, out, outSize, isDir);
}

/* Hands produced bytes on, keeping count and CRC. */
static SfxStatus Emit(const SfxEntry *e, const SfxTarget *t, void *file, const uint8_t *data,
                      uint32_t n, uint32_t *written, uLong *crc) {
  if (n == 0) return SFX_OK;
  /* More than announced: the entry is damaged, and writing on could fill the disk. */
  if (n > e->size - *written) return SFX_ERR_CRC;
  *crc = crc32(*crc, data, n);
  *written += n;
  return t->write(t->ctx, file, data, n) == 0 ? SFX_OK : SFX_ERR_WRITE;
}

/* Writes one entry's data to an open file, checking size and CRC. */
static SfxStatus Unpack(const SfxArchive *a, const SfxEntry *e, const SfxTarget *t, void *file,
                        Buffers *b) {
  const SfxSource *s = &a->source;
  uint8_t h[kLocalHeader];
  uint64_t at = a->base + e->localOffset;
  if (at + kLocalHeader > a->directoryStart || s->readAt(s->ctx, at, h, kLocalHeader) != 0)
    return SFX_ERR_READ;
  if (!IsLocalHeader(h)) return SFX_ERR_LOCAL_HEADER;
  uint64_t data = at + kLocalHeader + SfxLe16(h + 26) + SfxLe16(h + 28);
  if (data + e->compressedSize > a->directoryStart) return SFX_ERR_READ;
  if (e->method == 0 && e->compressedSize != e->size) return SFX_ERR_DATA;

  z_stream z;
  memset(&z, 0, sizeof z);
  if (e->method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK) return SFX_ERR_NO_MEMORY;
  uLong crc = crc32(0L, Z_NULL, 0);
  uint32_t left = e->compressedSize, written = 0;
  SfxStatus status = SFX_OK;
  for (;;) {
    if (z.avail_in == 0 && left > 0) {
      uint32_t n = left < kChunk ? left : kChunk;
      if (s->readAt(s->ctx, data, b->in, n) != 0) {
        status = SFX_ERR_READ;
        break;
      }
      data += n;
      left -= n;
      z.next_in = b->in;
      z.avail_in = n;
    }
    if (e->method == 0) {
      if (z.avail_in == 0) break;
      status = Emit(e, t, file, b->in, z.avail_in, &written, &crc);
      z.avail_in = 0;
    } else {
      z.next_out = b->out;
      z.avail_out = kChunk;
      int rc = inflate(&z, Z_NO_FLUSH);
      status = Emit(e, t, file, b->out, kChunk - z.avail_out, &written, &crc);
      if (status != SFX_OK || rc == Z_STREAM_END) break;
      if (rc == Z_MEM_ERROR) {
        status = SFX_ERR_NO_MEMORY;
      } else if (rc == Z_BUF_ERROR) {
        /* No progress possible: the data ended before the stream did. */
        if (left == 0 && z.avail_in == 0) status = SFX_ERR_DATA;
      } else if (rc != Z_OK) {
        status = SFX_ERR_DATA;
      }
    }
    if (status != SFX_OK) break;
  }
  if (e->method == 8) inflateEnd(&z);
  if (status == SFX_OK && (written != e->size || crc != e->crc)) status = SFX_ERR_CRC;
  return status;
}

static SfxStatus MakeParent(const SfxTarget *t, const char *path) {
  const char *slash = strrchr(path, '\\');
  if (!slash) return SFX_OK;
  char parent[SFX_PATH_MAX];
  size_t len = (size_t)(slash - path);
  memcpy(parent, path, len);
  parent[len] = '\0';
  return t->makeDirs(t->ctx, parent) == 0 ? SFX_OK : SFX_ERR_CREATE;
}

static SfxStatus ExtractFile(const SfxArchive *a, const SfxEntry *e, const char *path,
                             const SfxTarget *t, Buffers *b) {
  if (e->flags & SFX_ENTRY_ENCRYPTED) return SFX_ERR_ENCRYPTED;
  if (e->method != 0 && e->method != 8) return SFX_ERR_METHOD;
  SfxStatus status = MakeParent(t, path);
  if (status != SFX_OK) return status;
  void *file = t->create(t->ctx, path);
  if (!file) return SFX_ERR_CREATE;
  status = Unpack(a, e, t, file, b);
  if (status != SFX_OK) {
    t->discard(t->ctx, file);
    return status;
  }
  return t->commit(t->ctx, file, path, e) == 0 ? SFX_OK : SFX_ERR_CREATE;
}

SfxStatus SfxExtractAll(const SfxArchive *a, SfxOverwrite mode, const uint8_t *selected,
                        const SfxTarget *t, const SfxEvents *ev, SfxResult *r) {
  memset(r, 0, sizeof *r);
  Buffers *b = (Buffers *)malloc(sizeof *b);
  if (!b) return r->firstError = SFX_ERR_NO_MEMORY;
  for (uint32_t i = 0; i < a->count && !r->cancelled; ++i) {
    const SfxEntry *e = &a->entries[i];
    if (selected && !selected[i]) continue;
    if (ev->progress && ev->progress(ev->ctx, e->name) != 0) {
      r->cancelled = 1;
      break;
    }
    char path[SFX_PATH_MAX];
    int isDir = 0;
    SfxStatus status = SfxEntryPath(e, t, path, sizeof path, &isDir);
    if (status == SFX_OK && isDir) {
      if (path[0] && t->makeDirs(t->ctx, path) != 0) status = SFX_ERR_CREATE;
    } else if (status == SFX_OK) {
      int write = 1;
      if (t->exists(t->ctx, path)) {
        SfxAnswer answer = mode == SFX_OVERWRITE_ALWAYS  ? SFX_ANSWER_YES
                           : mode == SFX_OVERWRITE_NEVER ? SFX_ANSWER_NO
                           : ev->askOverwrite            ? ev->askOverwrite(ev->ctx, path)
                                                         : SFX_ANSWER_NO;
        if (answer == SFX_ANSWER_YES_TO_ALL) mode = SFX_OVERWRITE_ALWAYS;
        if (answer == SFX_ANSWER_NO_TO_ALL) mode = SFX_OVERWRITE_NEVER;
        if (answer == SFX_ANSWER_CANCEL) {
          r->cancelled = 1;
          break;
        }
        write = answer == SFX_ANSWER_YES || answer == SFX_ANSWER_YES_TO_ALL;
      }
      if (!write) {
        ++r->skipped;
        continue;
      }
      status = ExtractFile(a, e, path, t, b);
      if (status == SFX_OK) ++r->extracted;
    }
    if (status != SFX_OK) {
      ++r->failed;
      if (r->firstError == SFX_OK) r->firstError = status;
      if (ev->problem) ev->problem(ev->ctx, e->name, status);
    }
  }
  free(b);
  if (r->firstError != SFX_OK) return r->firstError;
  return r->cancelled ? SFX_ERR_CANCELLED : SFX_OK;
}
