/* The self-extractor's state on Windows, shared by its entry point, its
   dialogs and its file access. */
#ifndef VISTREL_ZIPSFX_SFX_APP_WIN_H
#define VISTREL_ZIPSFX_SFX_APP_WIN_H

#include <windows.h>

#include "sfx_archive.h"
#include "sfx_args.h"
#include "sfx_extract.h"
#include "sfx_header.h"

enum {
  SFX_EXIT_OK = 0,
  SFX_EXIT_FAILED = 1,    /* damaged archive, or entries not extracted */
  SFX_EXIT_USAGE = 2,
  SFX_EXIT_CANCELLED = 3
};

typedef struct SfxApp {
  HINSTANCE instance;
  char exePath[MAX_PATH];
  HANDLE file;
  SfxSource source;
  SfxHeader header;
  SfxArchive archive;
  SfxArgs args;
  char folder[MAX_PATH]; /* target folder, absolute, no trailing backslash */
  SfxOverwrite mode;
  uint8_t *selected;     /* per entry, when the user picks the files */
  HWND dialog;           /* while the dialog is up; NULL when unattended */
  int running, cancel;
  char report[4096];     /* one line per entry that was not extracted */
  size_t reportLines;
} SfxApp;

/* Files */
void SfxOpenSource(SfxApp *app); /* app->file must be open */
SfxTarget SfxFolderTarget(SfxApp *app);
/* Makes `path` absolute (into app->folder) and creates it with its parents. */
int SfxPrepareFolder(SfxApp *app, const char *path);
void SfxDefaultFolder(const SfxApp *app, char *out, size_t outSize);

/* Running */
int SfxExtractInto(SfxApp *app); /* extracts into app->folder; returns an exit code */
void SfxAppend(char *buf, size_t size, const char *text);

/* Dialogs */
int SfxRunDialog(SfxApp *app);
SfxAnswer SfxAskOverwrite(SfxApp *app, const char *path);

#endif
