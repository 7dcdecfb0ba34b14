#include "mail_attachment.h"

#include <cctype>
#include <cmath>

namespace vistrel {

namespace {

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

AttachmentFiles TemporaryMailFiles(const std::string& tempFolder, const LocalTime& now,
                                   const std::string& extension) {
  return {TemporaryPictureName(tempFolder, now, "." + extension),
          TemporaryPictureName(tempFolder, now, ".zip"),
          TemporaryPictureName(tempFolder, now, ".exe")};
}

std::string FileNameOnly(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ImageSubType(const std::string& extension) {
  const std::string ext = Lower(extension);
  if (ext == "jpg") return "jpeg";
  if (ext == "tif") return "tiff";
  if (ext == "pcx" || ext == "dcx") return "x-" + ext;
  return ext;  // bmp, png
}

AttachmentType AttachmentPartType(const std::string& attachmentPath, bool compressMail,
                                  bool compileZipMail) {
  const std::string quoted = "\"" + FileNameOnly(attachmentPath) + "\"";
  if (compressMail && !compileZipMail)
    return {"application", "x-zip-compressed", "name=" + quoted, "attachment; filename=" + quoted};
  if (compressMail) return {"application", "octet-stream", "", "attachment; filename=" + quoted};
  const size_t dot = attachmentPath.find_last_of('.');
  const std::string extension = dot == std::string::npos ? "" : attachmentPath.substr(dot + 1);
  return {"image", ImageSubType(extension), "", "inline; filename=" + quoted};
}

std::string MessageIdentifier(const LocalTime& now, const std::string& title) {
  const int seconds = now.hour * 3600 + now.minute * 60 + now.second;
  return std::to_string(now.year) + std::to_string(now.month) + std::to_string(now.day) +
         std::to_string(seconds) + "_" + title;
}

std::string BoundaryText(double random01) {
  const double n = std::floor(random01 * 100000000000.0);
  const long long value = n < 0 ? 0 : n > 99999999999.0 ? 99999999999LL : static_cast<long long>(n);
  return std::to_string(value) + "_boundary";
}

}  // namespace vistrel
