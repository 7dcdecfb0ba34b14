/* Outcome codes of the self-extractor's portable logic, with their texts. */
#ifndef VISTREL_ZIPSFX_SFX_STATUS_H
#define VISTREL_ZIPSFX_SFX_STATUS_H

#ifdef __cplusplus
extern "C" {
#endif

typedef enum SfxStatus {
  SFX_OK = 0,
  SFX_ERR_NO_HEADER,      /* nothing (or no valid header) behind the program */
  SFX_ERR_NOT_ZIP,        /* no end-of-archive record */
  SFX_ERR_DIRECTORY,      /* central directory damaged */
  SFX_ERR_TOO_LARGE,      /* needs 64-bit zip records */
  SFX_ERR_NO_MEMORY,
  SFX_ERR_READ,           /* archive cut short or unreadable */
  SFX_ERR_LOCAL_HEADER,   /* an entry's own header is damaged */
  SFX_ERR_METHOD,         /* compression method we cannot unpack */
  SFX_ERR_ENCRYPTED,
  SFX_ERR_DATA,           /* compressed data damaged */
  SFX_ERR_CRC,
  SFX_ERR_UNSAFE_NAME,    /* absolute or climbing out of the target folder */
  SFX_ERR_BAD_NAME,       /* not usable as a Windows file name */
  SFX_ERR_NAME_TOO_LONG,
  SFX_ERR_CREATE,         /* file or folder could not be created */
  SFX_ERR_WRITE,
  SFX_ERR_CANCELLED,
  SFX_STATUS_COUNT
} SfxStatus;

/* A short English explanation, for messages. */
const char *SfxStatusText(SfxStatus status);

#ifdef __cplusplus
}
#endif
#endif
