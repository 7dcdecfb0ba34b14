#pragma once
// The arithmetic of a print run: how many copies, how large the picture is
// printed, and where pages end. All sizes are twips.
#include <cstdint>
#include <optional>
#include <string_view>

namespace vistrel::print {

// The most copies the page's spin box offers; more is taken for a typing slip.
inline constexpr int kMaxCopies = 999;

struct CopyCount {
  int count = 0;     // copies to print, rounded half to even
  double typed = 0;  // the number as typed, not rounded
};

// The copy count of the `Copies` text: its leading number rounded half to even.
// Nothing when it is below 1 or above kMaxCopies (a 16-bit overflow included):
// the run then shows the copy-count message and prints nothing.
std::optional<CopyCount> ReadCopyCount(std::string_view text);

// "Can't print <text> copies. Enter a correct value in "Copy"".
std::string CopyCountMessage(std::string_view copiesText);

struct Extent {
  double width = 0;
  double height = 0;
};

// One copy's printed size: `sa` x `sb`. `verhaeltnis` is the fit ratio, 0
// while unset; it carries over from copy to copy within one run.
struct PrintedSize {
  double sa = 0;
  double sb = 0;
};
PrintedSize SizePicture(bool stretch, Extent picture, Extent page);
void FitToPage(PrintedSize& size, Extent page, double& verhaeltnis);

// A new page follows copy `copy` (1-based) only when another copy comes.
bool NewPageAfter(int copy, const CopyCount& copies);

}  // namespace vistrel::print
