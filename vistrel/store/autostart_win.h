#pragma once
// The autostart entry for this program in the real registry.
#include <string>

namespace vistrel {

// The full path of the running executable, as the entry stores it.
std::string ExpectedAutostartData();

// Whether the entry is present and names this executable.
bool AutostartIsSet();

// Writes (true) or deletes (false) the entry; silently does nothing when the
// user may not write HKEY_LOCAL_MACHINE.
void SetAutostart(bool enabled);

}  // namespace vistrel
