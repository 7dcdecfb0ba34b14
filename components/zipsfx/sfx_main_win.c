/* The self-extractor's entry point: find the header and archive behind our
   own image, then extract with the dialog or, from the command line, unattended. */
#include <string.h>

#include "sfx_app_win.h"
#include "sfx_image.h"
#include "zipsfx_res.h"

static SfxApp app;

static const char kUsage[] =
    "Usage: <program> [/d <folder>] [/o | /n]\r\n"
    "  /d <folder>  extract into <folder> without asking (\"\" for the default folder)\r\n"
    "  /o           overwrite existing files\r\n"
    "  /n           never overwrite existing files\r\n"
    "Without /d the extraction dialog opens. Unattended runs do not start the archive's command.\r\n"
    "Exit code: 0 done, 1 archive damaged or files not extracted, 2 wrong command line, 3 cancelled.\r\n";

/* Unattended runs report on standard output when the caller gave us one. */
static void Say(const char *text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD done;
  if (app.dialog == NULL && out != NULL && out != INVALID_HANDLE_VALUE)
    WriteFile(out, text, (DWORD)strlen(text), &done, NULL);
}

static void Fail(const char *what, const char *detail) {
  char text[1024] = "";
  SfxAppend(text, sizeof text, what);
  SfxAppend(text, sizeof text, detail);
  SfxAppend(text, sizeof text, ".");
  if (app.args.unattended) {
    Say(text);
    Say("\r\n");
  } else {
    MessageBoxA(app.dialog, text, app.header.caption, MB_OK | MB_ICONERROR);
  }
}

static int Progress(void *ctx, const char *name) {
  SfxApp *a = (SfxApp *)ctx;
  if (a->dialog) {
    char text[MAX_PATH + 16] = "Extracting ";
    SfxAppend(text, sizeof text, name);
    SetDlgItemTextA(a->dialog, IDC_STATUS, text);
    /* Keep the window painted and the Cancel button working between entries. */
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(a->dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  }
  return a->cancel;
}

static void Problem(void *ctx, const char *name, SfxStatus status) {
  SfxApp *a = (SfxApp *)ctx;
  char line[MAX_PATH + 128] = "";
  SfxAppend(line, sizeof line, name);
  SfxAppend(line, sizeof line, ": ");
  SfxAppend(line, sizeof line, SfxStatusText(status));
  SfxAppend(line, sizeof line, "\r\n");
  Say(line);
  /* The message box shows the first few; the count says how many there were. */
  if (++a->reportLines <= 12) SfxAppend(a->report, sizeof a->report, line);
}

static SfxAnswer Ask(void *ctx, const char *path) { return SfxAskOverwrite((SfxApp *)ctx, path); }

int SfxExtractInto(SfxApp *a) {
  SfxTarget target = SfxFolderTarget(a);
  SfxEvents events = {a, a->dialog ? Ask : NULL, Progress, Problem};
  SfxResult r;
  a->report[0] = '\0';
  a->reportLines = 0;
  SfxStatus status = SfxExtractAll(&a->archive, a->mode, a->selected, &target, &events, &r);

  char text[sizeof a->report + 512];
  wsprintfA(text, "%lu file(s) extracted to %s.", (unsigned long)r.extracted, a->folder);
  if (r.skipped) {
    char more[64];
    wsprintfA(more, "\r\n%lu existing file(s) kept.", (unsigned long)r.skipped);
    SfxAppend(text, sizeof text, more);
  }
  if (r.cancelled) SfxAppend(text, sizeof text, "\r\nThe extraction was cancelled.");
  if (r.failed) {
    char more[64];
    wsprintfA(more, "\r\n\r\n%lu entr%s not extracted:\r\n", (unsigned long)r.failed,
              r.failed == 1 ? "y was" : "ies were");
    SfxAppend(text, sizeof text, more);
    SfxAppend(text, sizeof text, a->report);
    if (a->reportLines > 12) SfxAppend(text, sizeof text, "...\r\n");
  }
  int code = status == SFX_OK              ? SFX_EXIT_OK
             : status == SFX_ERR_CANCELLED ? SFX_EXIT_CANCELLED
                                           : SFX_EXIT_FAILED;
  if (a->dialog == NULL) {
    Say(text);
    Say("\r\n");
  } else if (code != SFX_EXIT_OK || a->header.commandLine[0] == '\0') {
    MessageBoxA(a->dialog, text, a->header.caption,
                MB_OK | (code == SFX_EXIT_FAILED ? MB_ICONWARNING : MB_ICONINFORMATION));
  }
  return code;
}

static int Run(void) {
  app.instance = GetModuleHandleA(NULL);
  DWORD n = GetModuleFileNameA(NULL, app.exePath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return SFX_EXIT_FAILED;
  strcpy(app.header.caption, SFX_DEFAULT_CAPTION);
  SfxParseArgs(GetCommandLineA(), &app.args);

  if (app.args.help) {
    char text[sizeof kUsage + 128] = "";
    if (app.args.bad[0]) {
      SfxAppend(text, sizeof text, "Unknown or incomplete switch: ");
      SfxAppend(text, sizeof text, app.args.bad);
      SfxAppend(text, sizeof text, "\r\n\r\n");
    }
    SfxAppend(text, sizeof text, kUsage);
    if (app.args.unattended)
      Say(text);
    else
      MessageBoxA(NULL, text, app.header.caption, MB_OK | MB_ICONINFORMATION);
    return SFX_EXIT_USAGE;
  }

  app.file = CreateFileA(app.exePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (app.file == INVALID_HANDLE_VALUE) {
    Fail("This program cannot read its own file", "");
    return SFX_EXIT_FAILED;
  }
  SfxOpenSource(&app);

  uint8_t head[SFX_IMAGE_HEAD_SIZE];
  uint8_t block[SFX_HEADER_SIZE];
  uint32_t headSize = app.source.size < sizeof head ? (uint32_t)app.source.size : sizeof head;
  uint64_t end = 0;
  SfxStatus status = SFX_ERR_NO_HEADER;
  if (app.source.readAt(&app, 0, head, headSize) == 0 && SfxImageEnd(head, headSize, &end) == SFX_OK &&
      end + SFX_HEADER_SIZE <= app.source.size &&
      app.source.readAt(&app, end, block, SFX_HEADER_SIZE) == 0)
    status = SfxParseHeader(block, SFX_HEADER_SIZE, &app.header);
  if (status == SFX_OK) status = SfxOpenArchive(&app.source, end + SFX_HEADER_SIZE, &app.archive);
  if (status != SFX_OK) {
    strcpy(app.header.caption, SFX_DEFAULT_CAPTION);
    Fail("This self-extracting archive cannot be used: ", SfxStatusText(status));
    return SFX_EXIT_FAILED;
  }

  app.mode = app.args.overwrite >= 0 ? (SfxOverwrite)app.args.overwrite : app.header.overwrite;
  if (!app.args.unattended) return SfxRunDialog(&app);

  /* Nobody to ask: confirming means keeping what is there. */
  if (app.mode == SFX_OVERWRITE_CONFIRM) app.mode = SFX_OVERWRITE_NEVER;
  char folder[MAX_PATH];
  if (app.args.folder[0]) {
    folder[0] = '\0';
    SfxAppend(folder, sizeof folder, app.args.folder);
  } else {
    SfxDefaultFolder(&app, folder, sizeof folder);
  }
  if (SfxPrepareFolder(&app, folder) != 0) {
    Fail("The target folder cannot be created: ", folder);
    return SFX_EXIT_FAILED;
  }
  return SfxExtractInto(&app);
}

void SfxStart(void) { ExitProcess((UINT)Run()); }
