#pragma once
// The file extension a format entry of the save page stands for.
#include <string>
#include <string_view>

namespace vistrel {

// The first three letters of a format entry ("jpg" for "jpg-JEPG File").
std::string FormatExtension(std::string_view formatEntry);

}  // namespace vistrel
