#pragma once
// The autostart entry for this program in the real registry.
#include <string>

namespace vistrel {

// The full path of the running executable, as the entry stores it.
std::string ExpectedAutostartData();

// Whether the entry is present and names this executable.
bool AutostartIsSet();

// Writes (true) or deletes (false) the entry; returns the registry's status
// (access denied for a user who may not write HKEY_LOCAL_MACHINE).
long SetAutostart(bool enabled);

}  // namespace vistrel
