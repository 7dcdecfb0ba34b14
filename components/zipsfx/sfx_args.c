#include "sfx_args.h"

#include <string.h>

#include "sfx_header.h"

static void Put(char *out, size_t outSize, size_t *used, char c) {
  if (*used + 1 < outSize) out[(*used)++] = c;
}

int SfxNextArg(const char **line, char *out, size_t outSize) {
  const char *p = *line;
  size_t used = 0;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '\0') {
    *line = p;
    if (outSize) out[0] = '\0';
    return 0;
  }
  int quoted = 0;
  while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
    if (*p == '\\') {
      size_t slashes = 0;
      while (*p == '\\') ++slashes, ++p;
      if (*p == '"') {
        for (size_t i = 0; i < slashes / 2; ++i) Put(out, outSize, &used, '\\');
        if (slashes % 2) Put(out, outSize, &used, '"'), ++p;
      } else {
        for (size_t i = 0; i < slashes; ++i) Put(out, outSize, &used, '\\');
      }
    } else if (*p == '"') {
      /* "" inside quotes is a literal quote */
      if (quoted && p[1] == '"') {
        Put(out, outSize, &used, '"');
        p += 2;
      } else {
        quoted = !quoted;
        ++p;
      }
    } else {
      Put(out, outSize, &used, *p++);
    }
  }
  if (outSize) out[used] = '\0';
  *line = p;
  return 1;
}

static int IsSwitch(const char *arg, char letter) {
  return (arg[0] == '/' || arg[0] == '-') && (arg[1] == letter || arg[1] == letter - 'a' + 'A');
}

static void Bad(SfxArgs *args, const char *arg) {
  if (!args->help) {
    strncpy(args->bad, arg, sizeof args->bad - 1);
    args->bad[sizeof args->bad - 1] = '\0';
  }
  args->help = 1;
}

void SfxParseArgs(const char *commandLine, SfxArgs *args) {
  char arg[SFX_ARG_MAX];
  memset(args, 0, sizeof *args);
  args->overwrite = -1;
  const char *p = commandLine ? commandLine : "";
  SfxNextArg(&p, arg, sizeof arg); /* the program itself */
  while (SfxNextArg(&p, arg, sizeof arg)) {
    int bare = arg[1] != '\0' && arg[2] == '\0';
    if (IsSwitch(arg, 'd') && (bare || arg[2] == ':' || arg[2] == '=')) {
      const char *folder = arg + 3;
      if (bare) {
        if (!SfxNextArg(&p, arg, sizeof arg)) {
          Bad(args, "/d");
          break;
        }
        folder = arg;
      }
      args->unattended = 1;
      memmove(args->folder, folder, strlen(folder) + 1);
    } else if (IsSwitch(arg, 'o') && bare) {
      args->overwrite = SFX_OVERWRITE_ALWAYS;
    } else if (IsSwitch(arg, 'n') && bare) {
      args->overwrite = SFX_OVERWRITE_NEVER;
    } else if ((IsSwitch(arg, 'h') || ((arg[0] == '/' || arg[0] == '-') && arg[1] == '?')) && bare) {
      args->help = 1;
    } else {
      Bad(args, arg);
    }
  }
}
