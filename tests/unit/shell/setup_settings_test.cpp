// The setup dialog's values: the order they are read and stored in, their
// stored forms, the autostart clean-up and the autostart box's outcome.
#include "setup_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "autostart.h"
#include "memory_registry.h"
#include "registry_module.h"

namespace vistrel {
namespace {

constexpr char kProgram[] = "C:\\Program Files\\Vistrel\\vistrel.exe";

using Log = std::vector<std::string>;

// A settings store that logs its reads and writes into a shared log.
class RecordingStore : public SettingsStore {
 public:
  explicit RecordingStore(Log& log) : log_(log) {}
  std::string GetSetting(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const override {
    log_.push_back("get " + std::string(section) + "/" + std::string(key));
    const auto found = values.find(std::string(section) + "/" + std::string(key));
    return found == values.end() ? std::string(defaultValue) : found->second;
  }
  void SaveSetting(std::string_view section, std::string_view key,
                   std::string_view value) override {
    const std::string name = std::string(section) + "/" + std::string(key);
    log_.push_back("set " + name + "=" + std::string(value));
    values[name] = std::string(value);
  }
  std::map<std::string, std::string> values;

 private:
  Log& log_;
};

// Logs every key opened in HKEY_LOCAL_MACHINE, so that the clean-up's place
// in the load order shows.
class RecordingRegistry : public RegistryBackend {
 public:
  RecordingRegistry(MemoryRegistry& inner, Log& log) : inner_(inner), log_(log) {}
  std::unique_ptr<RegistryKey> Open(Hive hive, std::string_view keyPath, RegistryAccess access,
                                    long* status) override {
    if (hive == Hive::LocalMachine) log_.push_back("registry");
    return inner_.Open(hive, keyPath, access, status);
  }
  std::unique_ptr<RegistryKey> Create(Hive hive, std::string_view keyPath,
                                      long* status) override {
    return inner_.Create(hive, keyPath, status);
  }

 private:
  MemoryRegistry& inner_;
  Log& log_;
};

void SetRun(MemoryRegistry& registry, const std::string& name, const std::string& data) {
  const auto key = registry.Create(Hive::LocalMachine, kAutostartKey);
  ASSERT_TRUE(key);
  key->Set(name, kRegSz, data.c_str(), data.size() + 1);
}

std::string RunValue(MemoryRegistry& registry, const std::string& name) {
  return QueryValueText(registry, Hive::LocalMachine, kAutostartKey, name);
}

class SetupSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(memory_.Create(Hive::LocalMachine, kAutostartKey)); }
  SetupValues Load() {
    return LoadSetupSettings(store_, registry_, kProgram, [this] { log_.push_back("opened"); });
  }
  Log log_;
  MemoryRegistry memory_;
  RecordingRegistry registry_{memory_, log_};
  RecordingStore store_{log_};
};

TEST_F(SetupSettingsTest, LoadReadsInTheDialogsOrder) {
  Load();
  // "registry": the clean-up's look at both autostart names, and at the end
  // the box's own check.
  Log expected = {"get Divers/ScaleSystem", "opened",   "get Mail/SMTP_Server",
                  "get Mail/Reply_Address", "get Mail/SMTP_Port", "get Mail/SMTP_Security",
                  "get Mail/SMTP_User",     "get Mail/SMTP_Password", "get Mail/SMTP_Timeout",
                  "registry",               "registry"};
  for (int page = 0; page < 7; ++page) expected.push_back("get Show/" + std::to_string(page));
  expected.push_back("get Divers/EndAfterShot");
  expected.push_back("get Divers/ShowCursor");
  expected.push_back("registry");
  expected.push_back("get Divers/HotKey");
  EXPECT_EQ(log_, expected);
}

TEST_F(SetupSettingsTest, MissingSettingsGiveTheDefaults) {
  const SetupValues values = Load();
  EXPECT_EQ(values.scaleSystem, 0);
  EXPECT_EQ(values.smtpServer, "");
  EXPECT_EQ(values.mailAddress, "");
  EXPECT_EQ(values.smtpPort, "25");
  EXPECT_EQ(values.smtpSecurity, 0);
  EXPECT_EQ(values.smtpUser, "");
  EXPECT_EQ(values.replyLimit, "120");
  EXPECT_TRUE(values.includeMouseCursor);
  EXPECT_FALSE(values.endAfterShot);
  EXPECT_FALSE(values.autostart);
  for (bool notShow : values.notShow) EXPECT_FALSE(notShow);
}

TEST_F(SetupSettingsTest, StoredTextsReadAsTheBoxesShowThem) {
  struct Case {
    const char* showCursor;
    bool cursor;
    const char* scale;
    int scaleIndex;
  };
  for (const Case& c : {Case{"False", false, "3", 3}, Case{"True", true, "4", 4},
                        Case{"0", false, "7", 0}, Case{"-1", true, "-1", 0}}) {
    store_.values["Divers/ShowCursor"] = c.showCursor;
    store_.values["Divers/ScaleSystem"] = c.scale;
    store_.values["Show/3"] = "1";
    store_.values["Divers/EndAfterShot"] = "1";
    store_.values["Mail/SMTP_Server"] = "smtp.example.org";
    const SetupValues values = Load();
    EXPECT_EQ(values.includeMouseCursor, c.cursor) << c.showCursor;
    EXPECT_EQ(values.scaleSystem, c.scaleIndex) << c.scale;
    EXPECT_TRUE(values.notShow[3]);
    EXPECT_FALSE(values.notShow[2]);
    EXPECT_TRUE(values.endAfterShot);
    EXPECT_EQ(values.smtpServer, "smtp.example.org");
  }
}

TEST_F(SetupSettingsTest, TheCaptureKeyIsOneOfTheChoicesOrPrintScreen) {
  EXPECT_EQ(Load().hotkey, "Print Screen");
  for (const auto& [stored, shown] :
       {std::pair{"Ctrl+Shift+S", "Ctrl+Shift+S"},
        std::pair{"Alt+Print Screen", "Alt+Print Screen"},
        // A letter with Shift alone would only type a capital; unknown texts give the default.
        std::pair{"Shift+S", "Print Screen"}, std::pair{"ctrl+shift+s", "Print Screen"},
        std::pair{"", "Print Screen"}}) {
    store_.values["Divers/HotKey"] = stored;
    EXPECT_EQ(Load().hotkey, shown) << stored;
  }
  // The tray menu names the key the user chose.
  EXPECT_EQ(CaptureMenuText("Print Screen"), "&Make Vistrel  Prtscr");
  EXPECT_EQ(CaptureMenuText("Ctrl+Shift+S"), "&Make Vistrel  Ctrl+Shift+S");
}

TEST_F(SetupSettingsTest, APortInTheServerTextShowsInThePortField) {
  // The server text's port is the one a send uses, so it is the one shown.
  for (const auto& [server, host, port] :
       {std::tuple{"smtp.example.org:2525", "smtp.example.org", "2525"},
        std::tuple{"[::1]:587", "[::1]", "587"},
        std::tuple{"smtp.example.org", "smtp.example.org", "465"},
        // An IPv6 address without a port, and texts that name no valid port, show as stored.
        std::tuple{"2001:db8::25", "2001:db8::25", "465"},
        std::tuple{"[2001:db8::25]", "[2001:db8::25]", "465"},
        std::tuple{"[2001:db8::25]:2525", "[2001:db8::25]", "2525"},
        std::tuple{"smtp.example.org:x", "smtp.example.org:x", "465"}}) {
    store_.values["Mail/SMTP_Server"] = server;
    store_.values["Mail/SMTP_Port"] = "465";
    store_.values["Mail/SMTP_Security"] = "starttls";
    const SetupValues values = Load();
    EXPECT_EQ(values.smtpServer, host);
    EXPECT_EQ(values.smtpPort, port) << server;
    EXPECT_EQ(values.smtpSecurity, 1);
  }
}

TEST_F(SetupSettingsTest, SaveStoresInOrderWithTheirStoredForms) {
  SetupValues values;
  values.scaleSystem = 2;
  values.smtpServer = "mail.example.org";
  values.mailAddress = "me@example.org";
  values.smtpPort = "465";
  values.smtpSecurity = 2;
  values.smtpUser = "me";
  values.smtpPasswordStored = "01C0FF";
  values.notShow = {true, false, false, true, false, false, true};
  values.includeMouseCursor = false;
  values.endAfterShot = true;
  values.autostart = true;
  values.hotkey = "Ctrl+Shift+S";
  SetupSaveHost host;
  host.copyNotShow = [this](int page, bool on) {
    log_.push_back("wizard box " + std::to_string(page) + (on ? " on" : " off"));
  };
  host.applyAutostart = [this](bool on) { log_.push_back(on ? "autostart on" : "autostart off"); };
  host.refreshSizes = [this] { log_.push_back("refresh sizes"); };
  SaveSetupSettings(store_, values, host);
  Log expected = {"set Divers/ScaleSystem=2", "set Mail/SMTP_Server=mail.example.org",
                  "set Mail/Reply_Address=me@example.org", "set Mail/SMTP_Port=465",
                  "set Mail/SMTP_Security=TLS", "set Mail/SMTP_User=me",
                  "set Mail/SMTP_Password=01C0FF", "set Mail/SMTP_Timeout=120"};
  for (int page = 0; page < 7; ++page) {
    expected.push_back("set Show/" + std::to_string(page) + "=" + (values.notShow[page] ? "1" : "0"));
  }
  expected.push_back("set Divers/ShowCursor=False");
  expected.push_back("set Divers/EndAfterShot=1");
  expected.push_back("set Divers/HotKey=Ctrl+Shift+S");
  for (int page = 0; page < 7; ++page) {
    expected.push_back("wizard box " + std::to_string(page) + (values.notShow[page] ? " on" : " off"));
  }
  expected.push_back("autostart on");
  expected.push_back("refresh sizes");
  EXPECT_EQ(log_, expected);

  values.includeMouseCursor = true;
  SaveSetupSettings(store_, values, {});
  EXPECT_EQ(store_.values["Divers/ShowCursor"], "True");
}

TEST_F(SetupSettingsTest, TheReplyWaitShowsAndStoresWithinItsLimits) {
  // Shown as stored when valid, else the usual two minutes.
  for (const auto& [stored, shown] : {std::pair{"45", "45"}, std::pair{" 3600 ", "3600"},
                                      std::pair{"0", "120"}, std::pair{"3601", "120"},
                                      std::pair{"2 min", "120"}, std::pair{"", "120"}}) {
    store_.values["Mail/SMTP_Timeout"] = stored;
    EXPECT_EQ(Load().replyLimit, shown) << stored;
  }
  // Typed: an empty field or 0 is the usual limit, too large a number the longest one.
  for (const auto& [typed, kept] : {std::pair{"30", "30"}, std::pair{"", "120"},
                                    std::pair{"000", "120"}, std::pair{"99999", "3600"},
                                    std::pair{"7200", "3600"}, std::pair{"1e3", "120"}}) {
    SetupValues values;
    values.replyLimit = typed;
    SaveSetupSettings(store_, values, {});
    EXPECT_EQ(store_.values["Mail/SMTP_Timeout"], kept) << typed;
  }
}

TEST_F(SetupSettingsTest, OpeningMovesAnOldEntryToTheCurrentProgram) {
  struct Case {
    const char* name;
    const char* data;
  };
  for (const Case& c : {Case{kAutostartValueName, "C:\\Old copy\\vistrel.exe"},
                        Case{kPreviousAutostartValueName, "C:\\Vistrel98\\vistrel98.exe"}}) {
    SetRun(memory_, c.name, c.data);
    const SetupValues values = Load();
    EXPECT_TRUE(values.autostart) << c.name;
    EXPECT_EQ(RunValue(memory_, kAutostartValueName), kProgram) << c.name;
    EXPECT_EQ(RunValue(memory_, kPreviousAutostartValueName), "") << c.name;
    mdlRegistry::DeleteValue(memory_, Hive::LocalMachine, kAutostartKey, kAutostartValueName);
  }
}

TEST_F(SetupSettingsTest, WithoutAnEntryOrWriteAccessNothingChanges) {
  EXPECT_FALSE(Load().autostart);
  EXPECT_EQ(memory_.ValueCount(), 0u) << "no entry is made up";
  SetRun(memory_, kPreviousAutostartValueName, "C:\\Vistrel98\\vistrel98.exe");
  memory_.DenyWrites(Hive::LocalMachine);
  EXPECT_FALSE(Load().autostart);
  EXPECT_EQ(RunValue(memory_, kPreviousAutostartValueName), "C:\\Vistrel98\\vistrel98.exe");
}

TEST_F(SetupSettingsTest, AutostartBoxOutcome) {
  // An administrator: the box takes effect both ways, without a word.
  AutostartOutcome outcome = ApplyAutostartBox(memory_, true, kProgram);
  EXPECT_TRUE(outcome.isSet);
  EXPECT_EQ(outcome.failure, "");
  EXPECT_EQ(RunValue(memory_, kAutostartValueName), kProgram);
  outcome = ApplyAutostartBox(memory_, false, kProgram);
  EXPECT_FALSE(outcome.isSet);
  EXPECT_EQ(outcome.failure, "");

  // A user without administrator rights: told why, and the box shows what is there.
  memory_.DenyWrites(Hive::LocalMachine);
  outcome = ApplyAutostartBox(memory_, true, kProgram);
  EXPECT_FALSE(outcome.isSet);
  EXPECT_NE(outcome.failure.find("could not be set to start with Windows"), std::string::npos);
  EXPECT_NE(outcome.failure.find("administrator"), std::string::npos);
  // Clearing a box that is already clear needs no write and says nothing.
  EXPECT_EQ(ApplyAutostartBox(memory_, false, kProgram).failure, "");

  memory_.DenyWrites(Hive::LocalMachine, false);
  SetRun(memory_, kAutostartValueName, kProgram);
  memory_.DenyWrites(Hive::LocalMachine);
  outcome = ApplyAutostartBox(memory_, false, kProgram);
  EXPECT_TRUE(outcome.isSet);
  EXPECT_NE(outcome.failure.find("could not be taken out"), std::string::npos);
}

}  // namespace
}  // namespace vistrel
