#include "print_layout.h"

#include <string>

#include "number_text.h"

namespace vistrel::print {

std::optional<CopyCount> ReadCopyCount(std::string_view text) {
  const double typed = Val(text);
  const std::optional<int16_t> rounded = RoundToInt16(typed);
  if (!rounded || *rounded < 1 || *rounded > kMaxCopies) return std::nullopt;
  return CopyCount{*rounded, typed};
}

std::string CopyCountMessage(std::string_view copiesText) {
  return "Can't print " + std::string(copiesText) + " copies. Enter a correct value in \"Copy\"";
}

PrintedSize SizePicture(bool stretch, Extent picture, Extent page) {
  if (!stretch) return {picture.width, picture.height};
  if (page.height < page.width) {  // landscape: the width fills the page
    const double ratio = page.width / picture.width;
    return {page.width, ratio * picture.height};
  }
  const double ratio = page.height / picture.height;
  return {ratio * picture.width, page.height};
}

void FitToPage(PrintedSize& size, Extent page, double& verhaeltnis) {
  if (size.sa > page.width) verhaeltnis = page.width / size.sa;
  if (size.sb > page.height) {
    if (verhaeltnis == 0) verhaeltnis = 1;
    if (page.height / size.sb < verhaeltnis) verhaeltnis = page.height / size.sb;
  }
  if (verhaeltnis != 0) {
    size.sa *= verhaeltnis;
    size.sb *= verhaeltnis;
  }
}

bool NewPageAfter(int copy, const CopyCount& copies) {
  // The typed number alone would start an empty last page for 2.5 (2 < 2.5).
  return copy < copies.typed && copy < copies.count;
}

}  // namespace vistrel::print
