// The mail settings finder over the in-memory registry: the sources in their
// order, the account passes, the first line's selection and what "Use these
// settings" stores.
#include "mail_settings_finder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../shell/fake_store.h"
#include "memory_registry.h"

namespace vistrel {
namespace {

const std::string kAccounts = "Software\\Microsoft\\Internet Account Manager\\Accounts\\";

void Put(MemoryRegistry& registry, Hive hive, const std::string& key, const std::string& name,
         const std::string& text) {
  const auto opened = registry.Create(hive, key);
  ASSERT_TRUE(opened);
  opened->Set(name, kRegSz, text.c_str(), text.size() + 1);
}

void PutNumber(MemoryRegistry& registry, const std::string& key, const std::string& name) {
  const uint32_t number = 25;
  registry.Create(Hive::CurrentUser, key)->Set(name, kRegDword, &number, sizeof number);
}

void Account(MemoryRegistry& registry, const std::string& number, const std::string& name,
             const std::string& address) {
  Put(registry, Hive::CurrentUser, kAccounts + number, "Account Name", name);
  Put(registry, Hive::CurrentUser, kAccounts + number, "SMTP Server", "smtp." + name);
  if (!address.empty()) {
    Put(registry, Hive::CurrentUser, kAccounts + number, "SMTP Email Address", address);
  }
}

void NicheWare(MemoryRegistry& registry, const std::string& address) {
  const std::string key = "Software\\VB and VBA Program Settings\\NicheWare\\User";
  Put(registry, Hive::CurrentUser, key, "SMTP", "niche.example.org");
  if (!address.empty()) Put(registry, Hive::CurrentUser, key, "E-Mail", address);
}

std::vector<std::string> Lines(const MailSettingsSearch& search) {
  std::vector<std::string> lines;
  for (const auto& entry : search.found) lines.push_back(entry.line);
  return lines;
}

TEST(MailSettingsFinder, AccountPassesStopAtTheFirstMissingNumberAndSkipAccountsWithoutAddress) {
  MemoryRegistry registry;
  Account(registry, "00000001", "home", "me@home.example");
  Account(registry, "00000002", "news", "");  // no address: no line, the pass goes on
  Account(registry, "00000003", "work", "me@work.example");
  Account(registry, "00000005", "unseen", "x@example.org");  // after the missing 00000004
  Account(registry, "0000000a", "club", "me@club.example");
  Account(registry, "0000000c", "late", "y@example.org");  // after the missing 0000000b
  const MailSettingsSearch search = FindMailSettings(registry);
  EXPECT_EQ(Lines(search),
            (std::vector<std::string>{"Microsoft Outlook Account (home)",
                                      "Microsoft Outlook Account (work)",
                                      "Microsoft Outlook Account (club)"}));
  ASSERT_EQ(search.found.size(), 3u);
  EXPECT_EQ(search.found[1].server, "smtp.work");
  EXPECT_EQ(search.found[1].address, "me@work.example");
  EXPECT_EQ(search.selected, 0);
}

TEST(MailSettingsFinder, EverySourceInOrderAndTheFirstLineSelected) {
  MemoryRegistry registry;
  NicheWare(registry, "");
  Put(registry, Hive::CurrentUser, "Software\\VB and VBA Program Settings\\Group Mail\\Setup",
      "SMTP Server", "group.example.org");
  Put(registry, Hive::CurrentUser, "Software\\VB and VBA Program Settings\\Group Mail\\Setup",
      "Email Address", "group@example.org");
  Put(registry, Hive::CurrentUser, "Software\\Netscape\\netscape Navigator\\Services",
      "SMTP_Server", "nav.example.org");
  Put(registry, Hive::LocalMachine, "SOFTWARE\\Netscape\\Netscape Navigator\\Users",
      "CurrentUser", "ann");
  Put(registry, Hive::LocalMachine, "SOFTWARE\\Netscape\\Netscape Navigator\\Users\\ann",
      "EmailAddr", "ann@example.org");
  Put(registry, Hive::CurrentUser, "Software\\Microsoft\\Internet Mail and News\\Mail",
      "Default SMTP Server", "imn.example.org");
  Account(registry, "00000001", "home", "me@home.example");

  const MailSettingsSearch search = FindMailSettings(registry);
  EXPECT_EQ(Lines(search), (std::vector<std::string>{
                               "Microsoft Outlook Account (home)",
                               "Microsoft Mail & News (Default SMTP Server)",
                               "Netscape Navigator (User: ann)", "Niche Ware",
                               "Firebird Group Mail"}));
  ASSERT_EQ(search.found.size(), 5u);
  EXPECT_EQ(search.found[1].address, "") << "Sender EMail is missing";
  EXPECT_EQ(search.found[2].server, "nav.example.org");
  EXPECT_EQ(search.found[2].address, "ann@example.org");
  EXPECT_EQ(search.found[4].address, "group@example.org");
  EXPECT_EQ(search.selected, 0);
}

TEST(MailSettingsFinder, OnlyProgramSettingsSelectNothing) {
  MemoryRegistry registry;
  NicheWare(registry, "");
  const MailSettingsSearch search = FindMailSettings(registry);
  EXPECT_EQ(Lines(search), std::vector<std::string>{"Niche Ware"});
  EXPECT_EQ(search.selected, -1);

  // Nothing at all: no line.
  MemoryRegistry empty;
  EXPECT_TRUE(FindMailSettings(empty).found.empty());
}

TEST(MailSettingsFinder, ValuesOfOtherTypesReadAsEmpty) {
  MemoryRegistry registry;
  Account(registry, "00000001", "home", "me@home.example");
  PutNumber(registry, kAccounts + "00000002", "Account Name");  // ends the decimal pass
  Account(registry, "00000003", "work", "me@work.example");
  PutNumber(registry, "Software\\Microsoft\\Internet Mail and News\\Mail", "Default SMTP Server");
  const std::string niche = "Software\\VB and VBA Program Settings\\NicheWare\\User";
  Put(registry, Hive::CurrentUser, niche, "SMTP", "niche.example.org");
  const uint8_t bytes[] = {'a', '@', 'b'};
  registry.Create(Hive::CurrentUser, niche)->Set("E-Mail", kRegBinary, bytes, sizeof bytes);

  const MailSettingsSearch search = FindMailSettings(registry);
  EXPECT_EQ(Lines(search),
            (std::vector<std::string>{"Microsoft Outlook Account (home)", "Niche Ware"}));
  ASSERT_EQ(search.found.size(), 2u);
  EXPECT_EQ(search.found[1].address, "");
}

TEST(MailSettingsFinder, NavigatorWithoutAddressGivesNoLine) {
  MemoryRegistry registry;
  Put(registry, Hive::CurrentUser, "Software\\Netscape\\netscape Navigator\\Services",
      "SMTP_Server", "nav.example.org");
  Put(registry, Hive::LocalMachine, "SOFTWARE\\Netscape\\Netscape Navigator\\Users",
      "CurrentUser", "ann");
  EXPECT_TRUE(FindMailSettings(registry).found.empty());
}

TEST(MailSettingsFinder, InfoTextAndUseIt) {
  const FoundMailSettings full{"Niche Ware", "smtp.example.org", "me@example.org"};
  EXPECT_EQ(MailSettingsInfo(full),
            "Your SMTP-Server: smtp.example.org\r Your mail address: me@example.org");

  FakeStore store;
  EXPECT_FALSE(UseMailSettings(store, {"Niche Ware", "smtp.example.org", ""}));
  EXPECT_FALSE(UseMailSettings(store, {"x", "", "me@example.org"}));
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(UseMailSettings(store, full));
  EXPECT_EQ(store.writes, (std::vector<std::string>{"SMTP_Server=smtp.example.org",
                                                    "Reply_Address=me@example.org"}));
  EXPECT_EQ(store.GetSetting("Mail", "SMTP_Server", ""), "smtp.example.org");
}

}  // namespace
}  // namespace vistrel
