#pragma once
// The recipients the mail page remembers: section "Addressbook", keys "1",
// "2", ... without gaps ("leer" marks the end) and "Last".
#include <string>

#include "settings_store.h"

namespace vistrel {

// After a successful send: adds the recipient under the first free number
// unless it is there already (letter case ignored), and stores it as "Last".
// Returns the number it was added under, or 0 when it was known.
int UpdateAddressBook(SettingsStore& store, const std::string& mailTo);

}  // namespace vistrel
