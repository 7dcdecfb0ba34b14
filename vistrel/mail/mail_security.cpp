#include "mail_security.h"

namespace vistrel {

namespace {

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole number from 1 to `largest`, blanks around it allowed; 0 otherwise.
int NumberFromText(std::string_view text, int largest) {
  text = Trimmed(text);
  if (text.empty() || text.size() > 5) return 0;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= largest ? value : 0;
}

}  // namespace

int PortFromText(std::string_view text) { return NumberFromText(text, 65535); }

int ReplyLimitFromText(std::string_view text) { return NumberFromText(text, kLongestReplyLimit); }

void ApplyMailSecurity(const SettingsStore& store,
                       const std::function<mail::SecretText(const std::string&)>& reveal,
                       mail::MailControl& mail) {
  const int port = PortFromText(store.GetSetting("Mail", "SMTP_Port", ""));
  mail.port = static_cast<uint16_t>(port ? port : 25);
  mail.login.security = mail::SecurityFromText(store.GetSetting("Mail", "SMTP_Security", ""));
  mail.login.user = std::string(Trimmed(store.GetSetting("Mail", "SMTP_User", "")));
  mail.login.password.Clear();
  const std::string stored = store.GetSetting("Mail", "SMTP_Password", "");
  if (!mail.login.user.empty() && !stored.empty() && reveal) mail.login.password = reveal(stored);
  if (const int seconds = ReplyLimitFromText(store.GetSetting("Mail", "SMTP_Timeout", "")))
    mail.timeouts = mail::TimeoutsForReplyLimit(seconds, mail.timeouts);
}

}  // namespace vistrel
