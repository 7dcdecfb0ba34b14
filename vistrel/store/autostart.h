#pragma once
// The machine-wide autostart entry: a REG_SZ value named after the program
// title under HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run,
// holding the full path of the program's executable.
#include <string>
#include <string_view>

#include "registry_backend.h"

namespace vistrel {

inline constexpr char kAutostartKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kAutostartValueName[] = "Tarnwick Vistrel";

// The entry's data: program directory + "\" + executable name + ".exe".
std::string AutostartData(std::string_view programDirectory, std::string_view exeName);

// The stored entry with its terminating zero dropped; empty when it is absent,
// unreadable or not text.
std::string ReadAutostartEntry(RegistryBackend& registry);

// Whether the stored entry names `expectedData`, compared without regard to case.
bool AutostartEntryMatches(RegistryBackend& registry, std::string_view expectedData);

void WriteAutostartEntry(RegistryBackend& registry, std::string_view data);
void DeleteAutostartEntry(RegistryBackend& registry);

// Writes (true) or deletes (false) the entry and returns the registry's
// status; deleting an entry that is not there succeeds.
long SetAutostartEntry(RegistryBackend& registry, bool enabled, std::string_view data);

}  // namespace vistrel
