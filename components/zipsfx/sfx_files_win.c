/* The archive read from this program's own file, and the target folder on disk. */
#include <stdlib.h>
#include <string.h>

#include "sfx_app_win.h"

static int ReadAt(void *ctx, uint64_t offset, void *buf, uint32_t size) {
  HANDLE h = ((SfxApp *)ctx)->file;
  LARGE_INTEGER at;
  at.QuadPart = (LONGLONG)offset;
  if (!SetFilePointerEx(h, at, NULL, FILE_BEGIN)) return -1;
  DWORD got = 0;
  while (size > 0) {
    if (!ReadFile(h, buf, size, &got, NULL) || got == 0) return -1;
    buf = (char *)buf + got;
    size -= got;
  }
  return 0;
}

void SfxOpenSource(SfxApp *app) {
  LARGE_INTEGER size;
  app->source.ctx = app;
  app->source.readAt = ReadAt;
  app->source.size = GetFileSizeEx(app->file, &size) ? (uint64_t)size.QuadPart : 0;
}

void SfxAppend(char *buf, size_t size, const char *text) {
  size_t used = strlen(buf), len = strlen(text);
  if (used + 1 >= size) return;
  if (len > size - used - 1) len = size - used - 1;
  memcpy(buf + used, text, len);
  buf[used + len] = '\0';
}

/* folder + "\" + relative path; 0 when it fits. */
static int FullPath(const SfxApp *app, const char *rel, char out[MAX_PATH]) {
  out[0] = '\0';
  if (strlen(app->folder) + 1 + strlen(rel) >= MAX_PATH) return -1;
  SfxAppend(out, MAX_PATH, app->folder);
  SfxAppend(out, MAX_PATH, "\\");
  SfxAppend(out, MAX_PATH, rel);
  return 0;
}

/* Creates every missing folder along an absolute path. */
static int MakeAbsoluteDirs(const char *path) {
  char buf[MAX_PATH];
  size_t len = strlen(path);
  if (len >= MAX_PATH) return -1;
  memcpy(buf, path, len + 1);
  /* Skip the root ("C:\" or "\\server\share\") which cannot be created. */
  size_t i = 0;
  if (len >= 2 && buf[1] == ':') {
    i = 3;
  } else if (len >= 2 && buf[0] == '\\' && buf[1] == '\\') {
    int seps = 0;
    for (i = 2; i < len && seps < 2; ++i)
      if (buf[i] == '\\') ++seps;
  }
  for (; i <= len; ++i) {
    if (buf[i] != '\\' && buf[i] != '\0') continue;
    char saved = buf[i];
    buf[i] = '\0';
    if (buf[0] && !CreateDirectoryA(buf, NULL)) {
      DWORD attr = GetFileAttributesA(buf);
      if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return -1;
    }
    buf[i] = saved;
  }
  return 0;
}

int SfxPrepareFolder(SfxApp *app, const char *path) {
  char *part = NULL;
  DWORD n = GetFullPathNameA(path, MAX_PATH, app->folder, &part);
  if (n == 0 || n >= MAX_PATH) return -1;
  size_t len = strlen(app->folder);
  /* "C:\" keeps its backslash only until paths are joined with one. */
  while (len > 0 && app->folder[len - 1] == '\\') app->folder[--len] = '\0';
  return MakeAbsoluteDirs(app->folder);
}

void SfxDefaultFolder(const SfxApp *app, char *out, size_t outSize) {
  out[0] = '\0';
  if (app->header.defaultDir[0]) {
    DWORD n = ExpandEnvironmentStringsA(app->header.defaultDir, out, (DWORD)outSize);
    if (n != 0 && n <= outSize) return;
    out[0] = '\0';
  }
  SfxAppend(out, outSize, app->exePath);
  char *slash = strrchr(out, '\\');
  if (slash) *slash = '\0';
}

static int LocalName(void *ctx, const char *stored, int utf8, char *out, size_t outSize) {
  (void)ctx;
  if (!utf8) {
    out[0] = '\0';
    if (strlen(stored) >= outSize) return -1;
    SfxAppend(out, outSize, stored);
    return 0;
  }
  WCHAR wide[SFX_PATH_MAX * 2];
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, stored, -1, wide,
                              (int)(sizeof wide / sizeof wide[0]));
  if (n == 0) return -1;
  BOOL lossy = FALSE;
  n = WideCharToMultiByte(CP_ACP, 0, wide, -1, out, (int)outSize, NULL, &lossy);
  /* A name this code page cannot spell would be created under another name. */
  return n == 0 || lossy ? -1 : 0;
}

static int Exists(void *ctx, const char *path) {
  char full[MAX_PATH];
  return FullPath((SfxApp *)ctx, path, full) == 0 &&
         GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES;
}

static int MakeDirs(void *ctx, const char *path) {
  char full[MAX_PATH];
  return FullPath((SfxApp *)ctx, path, full) == 0 ? MakeAbsoluteDirs(full) : -1;
}

typedef struct PendingFile {
  HANDLE handle;
  char temp[MAX_PATH];
} PendingFile;

static void *Create(void *ctx, const char *path) {
  char full[MAX_PATH];
  if (FullPath((SfxApp *)ctx, path, full) != 0) return NULL;
  char *slash = strrchr(full, '\\');
  *slash = '\0';
  PendingFile *f = (PendingFile *)malloc(sizeof *f);
  if (!f) return NULL;
  /* The temporary file sits in the same folder so the final rename cannot cross volumes. */
  if (!GetTempFileNameA(full, "sfx", 0, f->temp)) {
    free(f);
    return NULL;
  }
  f->handle = CreateFileA(f->temp, GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, NULL);
  if (f->handle == INVALID_HANDLE_VALUE) {
    DeleteFileA(f->temp);
    free(f);
    return NULL;
  }
  return f;
}

static int Write(void *ctx, void *file, const void *data, uint32_t size) {
  (void)ctx;
  DWORD done = 0;
  return WriteFile(((PendingFile *)file)->handle, data, size, &done, NULL) && done == size ? 0 : -1;
}

static void Discard(void *ctx, void *file) {
  (void)ctx;
  PendingFile *f = (PendingFile *)file;
  CloseHandle(f->handle);
  DeleteFileA(f->temp);
  free(f);
}

static int Commit(void *ctx, void *file, const char *path, const SfxEntry *entry) {
  PendingFile *f = (PendingFile *)file;
  FILETIME local, utc;
  if (DosDateTimeToFileTime(entry->dosDate, entry->dosTime, &local) &&
      LocalFileTimeToFileTime(&local, &utc))
    SetFileTime(f->handle, NULL, NULL, &utc);
  int ok = CloseHandle(f->handle);
  f->handle = INVALID_HANDLE_VALUE;
  char full[MAX_PATH];
  if (ok && FullPath((SfxApp *)ctx, path, full) == 0) {
    ok = MoveFileExA(f->temp, full, MOVEFILE_REPLACE_EXISTING);
    if (!ok) {
      /* A read-only file the user agreed to replace. */
      DWORD attr = GetFileAttributesA(full);
      if (attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY) &&
          (attr & FILE_ATTRIBUTE_READONLY) &&
          SetFileAttributesA(full, attr & ~(DWORD)FILE_ATTRIBUTE_READONLY))
        ok = MoveFileExA(f->temp, full, MOVEFILE_REPLACE_EXISTING);
    }
  } else {
    ok = 0;
  }
  if (!ok) DeleteFileA(f->temp);
  free(f);
  return ok ? 0 : -1;
}

SfxTarget SfxFolderTarget(SfxApp *app) {
  SfxTarget t = {app, LocalName, Exists, MakeDirs, Create, Write, Commit, Discard};
  return t;
}
