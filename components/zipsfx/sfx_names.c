#include "sfx_names.h"

#include <string.h>

static int IsSeparator(char c) { return c == '/' || c == '\\'; }

static char Upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

/* CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever extension follows;
   so do the ports numbered with superscript digits (in the ANSI code page, as
   names arrive here) and the console's CONIN$ and CONOUT$. */
static int IsDeviceDigit(char c) {
  unsigned char u = (unsigned char)c;
  return (u >= '1' && u <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3;
}

static int SameUpper(const char* part, const char* upper, size_t len) {
  for (size_t i = 0; i < len; ++i)
    if (Upper(part[i]) != upper[i]) return 0;
  return 1;
}

static int IsDeviceName(const char* part, size_t len) {
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  size_t stem = 0;
  while (stem < len && part[stem] != '.') ++stem;
  while (stem > 0 && part[stem - 1] == ' ') --stem;
  if (stem == 3) {
    for (size_t i = 0; i < sizeof kDevices / sizeof kDevices[0]; ++i)
      if (SameUpper(part, kDevices[i], 3)) return 1;
  }
  if (stem == 4 && IsDeviceDigit(part[3]) && (SameUpper(part, "COM", 3) || SameUpper(part, "LPT", 3)))
    return 1;
  if ((stem == 6 && SameUpper(part, "CONIN$", 6)) || (stem == 7 && SameUpper(part, "CONOUT$", 7)))
    return 1;
  return 0;
}

SfxStatus SfxSafeName(const char* name, char* out, size_t outSize, int* isDir) {
  size_t len = strlen(name);
  *isDir = 0;
  if (outSize == 0) return SFX_ERR_NAME_TOO_LONG;
  out[0] = '\0';
  if (len == 0) return SFX_ERR_BAD_NAME;
  if (IsSeparator(name[0]) || strchr(name, ':') != NULL) return SFX_ERR_UNSAFE_NAME;
  *isDir = IsSeparator(name[len - 1]);

  size_t used = 0;
  const char* p = name;
  while (*p) {
    const char* start = p;
    while (*p && !IsSeparator(*p)) ++p;
    size_t partLen = (size_t)(p - start);
    if (*p) ++p;
    if (partLen == 0 || (partLen == 1 && start[0] == '.')) continue;

    /* Windows drops trailing dots and blanks, so "..", "... " and the like
       would all climb out of the folder. */
    size_t k = 0;
    while (k < partLen && (start[k] == '.' || start[k] == ' ')) ++k;
    if (k == partLen) return SFX_ERR_UNSAFE_NAME;
    for (k = 0; k < partLen; ++k) {
      unsigned char c = (unsigned char)start[k];
      if (c < 0x20 || strchr("<>\"|?*", c) != NULL) return SFX_ERR_BAD_NAME;
    }
    if (IsDeviceName(start, partLen)) return SFX_ERR_BAD_NAME;

    size_t need = used + (used ? 1 : 0) + partLen;
    if (need + 1 > outSize) return SFX_ERR_NAME_TOO_LONG;
    if (used) out[used++] = '\\';
    memcpy(out + used, start, partLen);
    used += partLen;
    out[used] = '\0';
  }
  if (used == 0 && !*isDir) return SFX_ERR_BAD_NAME;
  return SFX_OK;
}
