#pragma once
// Line ends as Windows text boxes and mail want them.
#include <string>
#include <string_view>

namespace vistrel {

// Any line end (CR LF, lone CR, lone LF) becomes CR LF.
std::string CrLfLines(std::string_view text);

}  // namespace vistrel
