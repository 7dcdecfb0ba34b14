#pragma once
// The mail settings beside the server: the port, the encryption, the user and
// the password (stored encrypted for the user; `reveal` turns the stored form
// back into the password, which is wiped from memory when the control lets it go). Missing settings
// leave a plain connection to port 25 without a login, or to the port the server text names.
#include <functional>
#include <string>
#include <string_view>

#include "mail_control.h"
#include "settings_store.h"

namespace vistrel {

// A port setting's text; 0 when it is not a number from 1 to 65535.
int PortFromText(std::string_view text);

void ApplyMailSecurity(const SettingsStore& store,
                       const std::function<mail::SecretText(const std::string&)>& reveal,
                       mail::MailControl& mail);

}  // namespace vistrel
