#pragma once
// The MIME charset name of a Windows ANSI code page, so that a mail declares
// the charset its texts were typed in.
#include <string>

namespace vistrel {

std::string CharsetForCodePage(unsigned codePage);

}  // namespace vistrel
