#include "sfx_header.h"

#include <string.h>

static void CopyText(char *dest, const uint8_t *src, size_t len) {
  memcpy(dest, src, len);
  dest[len] = '\0';
}

SfxStatus SfxParseHeader(const uint8_t *bytes, size_t size, SfxHeader *out) {
  memset(out, 0, sizeof *out);
  if (size < SFX_HEADER_SIZE || bytes[0] != 'M' || bytes[1] != 'P' || bytes[2] != 'U')
    return SFX_ERR_NO_HEADER;
  size_t c = bytes[4], d = bytes[5], l = bytes[6];
  if (c + d + l > SFX_HEADER_TEXT_MAX) return SFX_ERR_NO_HEADER;
  out->flags = bytes[3];
  /* Both mode bits set is contradictory; keeping existing files loses nothing. */
  if (out->flags & SFX_FLAG_OVERWRITE_NEVER)
    out->overwrite = SFX_OVERWRITE_NEVER;
  else if (out->flags & SFX_FLAG_OVERWRITE_ALWAYS)
    out->overwrite = SFX_OVERWRITE_ALWAYS;
  else
    out->overwrite = SFX_OVERWRITE_CONFIRM;
  CopyText(out->caption, bytes + 7, c);
  CopyText(out->defaultDir, bytes + 7 + c, d);
  CopyText(out->commandLine, bytes + 7 + c + d, l);
  /* A text with an embedded zero would be cut there anyway; an empty caption
     gets the default so the window is never untitled. */
  if (out->caption[0] == '\0') strcpy(out->caption, SFX_DEFAULT_CAPTION);
  return SFX_OK;
}
