// Number texts typed into boxes, and the text written back for them.
#include <cmath>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "number_text.h"

VISTREL_FUZZ_TARGET(number_text) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = vistrel::Val(text);
  (void)vistrel::RoundToInt32(value);
  (void)vistrel::RoundToInt16(value);
  if (!std::isfinite(value)) return;
  // What is written for a number reads back as the same number, to the 15
  // digits it keeps, with either separator the user may have.
  const std::string written = vistrel::GeneralDecimalText(value);
  const double back = vistrel::Val(written);
  FUZZ_REQUIRE(std::fabs(back - value) <= 1e-14 * std::fabs(value) || value == back);
  const std::string comma = vistrel::GeneralDecimalText(value, ',');
  FUZZ_REQUIRE(comma.find('.') == std::string::npos);
}
