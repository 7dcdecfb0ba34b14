#pragma once
// The mail password as it is stored: encrypted for the current user with the
// system's data protection, written as hexadecimal text. Never plain text.
#include <string>

namespace vistrel {

// Empty for an empty password (nothing is stored then) or when encryption fails.
std::string ProtectPassword(const std::string& password);
// Empty when the text was not made for this user or is damaged.
std::string RevealPassword(const std::string& stored);

}  // namespace vistrel
