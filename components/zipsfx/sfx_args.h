/* The self-extractor's own command line:
     /d <folder>   extract into <folder> without the dialog (unattended)
     /o            overwrite existing files
     /n            never overwrite existing files
   Switches may start with '/' or '-' and are not case-sensitive. */
#ifndef VISTREL_ZIPSFX_SFX_ARGS_H
#define VISTREL_ZIPSFX_SFX_ARGS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { SFX_ARG_MAX = 1024 };

typedef struct SfxArgs {
  int unattended;
  char folder[SFX_ARG_MAX]; /* empty: the default folder */
  int overwrite;            /* an SfxOverwrite, or -1 when not given */
  int help;                 /* usage asked for, or the line was not understood */
  char bad[64];             /* the first argument not understood */
} SfxArgs;

/* Splits off the next argument by the Windows rules (quotes group, a
   backslash escapes a quote only before one). Returns 0 at the end of the
   line; overlong arguments are cut to outSize - 1 characters. */
int SfxNextArg(const char **line, char *out, size_t outSize);

/* Reads a whole command line, program name first. */
void SfxParseArgs(const char *commandLine, SfxArgs *args);

#ifdef __cplusplus
}
#endif
#endif
