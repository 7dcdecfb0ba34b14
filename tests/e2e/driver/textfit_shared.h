#pragma once
// What the text-fit probe and its hook in the checked program agree on.
#include <cstddef>

inline constexpr char kMeasureMessage[] = "vistrel.textfit.measure";
inline constexpr char kReportBlock[] = "vistrel.textfit.report";
inline constexpr char kReportDone[] = "vistrel.textfit.done";
inline constexpr std::size_t kReportSize = 64 * 1024;
