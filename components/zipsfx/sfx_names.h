/* Entry names from an archive made safe to create below the target folder. */
#ifndef VISTREL_ZIPSFX_SFX_NAMES_H
#define VISTREL_ZIPSFX_SFX_NAMES_H

#include <stddef.h>

#include "sfx_status.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Converts a stored name ('/' or '\' separated) into a relative Windows path
   with '\' separators. Refuses (SFX_ERR_UNSAFE_NAME) absolute names, drive or
   stream names and any ".." step, since a crafted archive must not write
   outside the target folder; refuses (SFX_ERR_BAD_NAME) characters and device
   names Windows cannot use as file names. *isDir tells a folder entry (name
   ending in a separator); its path may be empty ("./"). */
SfxStatus SfxSafeName(const char *name, char *out, size_t outSize, int *isDir);

#ifdef __cplusplus
}
#endif
#endif
