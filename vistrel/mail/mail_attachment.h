#pragma once
// How the send operation names its temporary files and describes the
// attachment part.
#include <string>

#include "output_sequence.h"

namespace vistrel {

struct AttachmentFiles {
  std::string image;  // folder + "2026_3_14_9_5_7" + ".jpg"
  std::string zip;    // ... + ".zip"
  std::string exe;    // ... + ".exe"
};
AttachmentFiles TemporaryMailFiles(const std::string& tempFolder, const LocalTime& now,
                                   const std::string& extension);

struct AttachmentType {
  std::string contentType, subType, parameters, disposition;
};
// The attachment part for the three cases: image (inline), zip archive,
// self-extracting program. Only the file's own name is given: the sender's
// folders are none of the recipient's business.
AttachmentType AttachmentPartType(const std::string& attachmentPath, bool compressMail,
                                  bool compileZipMail);

// The registered image type's subtype for an extension ("jpeg" for "jpg").
std::string ImageSubType(const std::string& extension);

// The name after the last backslash or slash.
std::string FileNameOnly(const std::string& path);

// The message identifier: year, month, day, seconds since midnight, "_", title.
std::string MessageIdentifier(const LocalTime& now, const std::string& title);

// "boundary" parameter text: the integer part of random x 100000000000 and "_boundary".
std::string BoundaryText(double random01);

}  // namespace vistrel
