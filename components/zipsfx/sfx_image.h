/* Where this program's own file ends: the header and archive that the packer
   appended start there. */
#ifndef VISTREL_ZIPSFX_SFX_IMAGE_H
#define VISTREL_ZIPSFX_SFX_IMAGE_H

#include <stddef.h>
#include <stdint.h>

#include "sfx_status.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Bytes from the start of the file that are enough for SfxImageEnd. */
enum { SFX_IMAGE_HEAD_SIZE = 4096 };

/* From the first bytes of a PE file, the offset just past its last section
   (or its signature block, when it is signed). SFX_ERR_NO_HEADER when the
   bytes are not a PE image. */
SfxStatus SfxImageEnd(const uint8_t *head, size_t size, uint64_t *end);

#ifdef __cplusplus
}
#endif
#endif
