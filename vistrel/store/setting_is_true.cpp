#include <cctype>
#include <charconv>
#include <string>

#include "name_compare.h"
#include "settings_store.h"

namespace vistrel {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool SettingIsTrue(std::string_view text) {
  text = Trim(text);
  if (NamesEqual(text, "True")) return true;
  if (text.empty() || NamesEqual(text, "False")) return false;
  // A number is true when it is not zero. The whole text must be the number:
  // anything else (a damaged or foreign value) reads as false rather than
  // failing.
  if (text.front() == '+') text.remove_prefix(1);
  std::string number(text);
  // Numbers may have been written with the user's decimal comma.
  for (char& c : number) {
    if (c == ',') c = '.';
  }
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return false;
  return value != 0;
}

}  // namespace vistrel
