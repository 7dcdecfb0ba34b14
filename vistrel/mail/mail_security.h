#pragma once
// The mail settings beside the server: the port, the encryption, the user and
// the password (stored encrypted for the user; `reveal` turns the stored form
// back into the password, which is wiped from memory when the control lets it go), and how long
// a reply may take. Missing settings leave a plain connection to port 25 without a login, or to
// the port the server text names, and the control's own time limits.
#include <functional>
#include <string>
#include <string_view>

#include "mail_control.h"
#include "settings_store.h"

namespace vistrel {

// A port setting's text; 0 when it is not a number from 1 to 65535.
int PortFromText(std::string_view text);

// The longest wait for the mail server's reply, in seconds ("SMTP_Timeout"); 0
// when the text is not a number from 1 to kLongestReplyLimit, which leaves the
// control's own limits (two minutes a reply).
inline constexpr int kLongestReplyLimit = 3600;
int ReplyLimitFromText(std::string_view text);

void ApplyMailSecurity(const SettingsStore& store,
                       const std::function<mail::SecretText(const std::string&)>& reveal,
                       mail::MailControl& mail);

}  // namespace vistrel
