#include "format_extension.h"

namespace vistrel {

std::string FormatExtension(std::string_view formatEntry) {
  return std::string(formatEntry.substr(0, 3));
}

}  // namespace vistrel
