#include "output_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "crop_preparation.h"
#include "scale_system.h"

namespace vistrel::wizard {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Keys match without regard to case, as in the registry.
class MemoryStore : public SettingsStore {
 public:
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;

  std::string GetSetting(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const override {
    auto found = values.find(Lower(section) + "/" + Lower(key));
    return found == values.end() ? std::string(defaultValue) : found->second;
  }
  void SaveSetting(std::string_view section, std::string_view key,
                   std::string_view value) override {
    values[Lower(section) + "/" + Lower(key)] = std::string(value);
    writes.push_back(std::string(section) + "/" + std::string(key));
  }
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    values[Lower(section) + "/" + Lower(key)] = value;
  }
};

const char* FieldName(Field field) {
  switch (field) {
    case Field::NotShow: return "NotShow";
    case Field::Automate: return "Automate";
    case Field::Path: return "Path";
    case Field::Name: return "Name";
    case Field::Rotate: return "Rotate";
    case Field::Scaleing: return "Scaleing";
    case Field::Effect: return "Effect";
    case Field::Subject: return "Subject";
    case Field::MessageBody: return "MessageBody";
    case Field::MailAsZip: return "MailAsZip";
    case Field::SaveAsZip: return "SaveAsZip";
    case Field::MailAsExe: return "MailAsExe";
    case Field::SaveAsExe: return "SaveAsExe";
    case Field::FileFormat: return "FileFormat";
    case Field::UseCropOrEdit: return "UseCropOrEdit";
    case Field::CropStyle: return "CropStyle";
    case Field::StretchToPage: return "StretchToPage";
    case Field::MailTo: return "MailTo";
  }
  return "?";
}

// Controls that remember values and log what happens to them. Ticking a
// NotShow or Automate box saves, as the real click handlers do.
class FakeControls : public SettingsControls {
 public:
  OutputSettings* settings = nullptr;
  std::map<std::string, std::string> values;
  std::vector<std::string> log;
  std::vector<std::string> recipients;
  std::string currentDirectory = "C:\\Work";
  std::vector<std::string> existingFolders = {"C:\\Work", "D:\\Pics"};
  std::vector<bool> loadingWhenTicked;

  static std::string Key(Field field, int index) {
    return std::string(FieldName(field)) + std::to_string(index);
  }
  std::string Value(Field field, int index) const override {
    auto found = values.find(Key(field, index));
    return found == values.end() ? "0" : found->second;
  }
  bool Apply(Field field, int index, std::string_view text) override {
    if (field == Field::Path &&
        std::find(existingFolders.begin(), existingFolders.end(), text) == existingFolders.end()) {
      log.push_back("Path failed");
      return false;
    }
    values[Key(field, index)] = std::string(text);
    log.push_back(Key(field, index) + "=" + std::string(text));
    if (field == Field::NotShow || field == Field::Automate) {
      loadingWhenTicked.push_back(settings->LoadingSettings());
      settings->SaveWizardSettings();
    }
    return true;
  }
  void AddRecipient(std::string_view address) override {
    recipients.emplace_back(address);
    log.push_back("recipient " + std::string(address));
  }
  std::string CurrentDirectory() const override { return currentDirectory; }
  void ApplyAreaChoice(int wahl) override { log.push_back("wahl " + std::to_string(wahl)); }
  void UpdateCompressOptions() override { log.push_back("compress-options"); }
  void LoadScaleSystem() override { log.push_back("scale-system"); }
  void ShowSelection() override { log.push_back("selection"); }
  std::function<void()> onWalk;
  void StartWalk() override {
    log.push_back("walk");
    if (onWalk) onWalk();
    settings->SaveWizardSettings();
  }

  size_t IndexOf(const std::string& entry) const {
    auto found = std::find(log.begin(), log.end(), entry);
    EXPECT_NE(found, log.end()) << entry;
    return static_cast<size_t>(found - log.begin());
  }
};

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { controls.settings = &settings; }
  MemoryStore store;
  FakeControls controls;
  OutputSettings settings{store, controls};
};

TEST_F(SettingsTest, FirstStartTakesTheDefaultsAndShowsEveryPage) {
  settings.OpenWizard();
  for (int p = 0; p < 7; ++p) EXPECT_EQ(store.GetSetting("Show", std::to_string(p), "x"), "0");
  EXPECT_EQ(controls.Value(Field::FileFormat, 0), "0");
  EXPECT_EQ(controls.Value(Field::Name, 0), "Vistrel");
  EXPECT_EQ(controls.Value(Field::Scaleing, 0), "100");
  EXPECT_EQ(controls.Value(Field::Rotate, 0), "0");
  EXPECT_EQ(controls.Value(Field::UseCropOrEdit, 0), "1");
  EXPECT_EQ(controls.Value(Field::CropStyle, 0), "0");
  EXPECT_EQ(controls.Value(Field::Path, 0), "C:\\Work");
  for (int a = 0; a < 9; ++a) EXPECT_EQ(controls.Value(Field::Automate, a), "0");
  EXPECT_TRUE(controls.recipients.empty());
}

TEST_F(SettingsTest, LoadOrderPutsEachStepAfterWhatItDependsOn) {
  store.Set("Show", "0", "0");
  settings.OpenWizard();
  const auto& c = controls;
  EXPECT_LT(c.IndexOf("MailTo0="), c.IndexOf("Subject0="));
  EXPECT_LT(c.IndexOf("SaveAsExe0=0"), c.IndexOf("compress-options"));
  EXPECT_LT(c.IndexOf("compress-options"), c.IndexOf("NotShow0=0"));
  EXPECT_LT(c.IndexOf("NotShow6=0"), c.IndexOf("FileFormat0=0"));
  EXPECT_LT(c.IndexOf("FileFormat0=0"), c.IndexOf("scale-system"));
  EXPECT_LT(c.IndexOf("scale-system"), c.IndexOf("Rotate0=0"));
  EXPECT_LT(c.IndexOf("Effect2=0"), c.IndexOf("Automate0=0"));
  EXPECT_LT(c.IndexOf("Automate8=0"), c.IndexOf("Path0=C:\\Work"));
  EXPECT_LT(c.IndexOf("Path0=C:\\Work"), c.IndexOf("Name0=Vistrel"));
  EXPECT_LT(c.IndexOf("Name0=Vistrel"), c.IndexOf("wahl 0"));
  EXPECT_LT(c.IndexOf("wahl 0"), c.IndexOf("selection"));
  EXPECT_LT(c.IndexOf("selection"), c.IndexOf("UseCropOrEdit0=1"));
  EXPECT_LT(c.IndexOf("CropStyle0=0"), c.IndexOf("StretchToPage0=0"));
  EXPECT_LT(c.IndexOf("StretchToPage0=0"), c.IndexOf("walk"));
  EXPECT_EQ(std::count(c.log.begin(), c.log.end(), "scale-system"), 2);
  EXPECT_EQ(c.log.back(), "selection");
}

TEST_F(SettingsTest, TheWalksOwnPrintSeesTheStoredStretch) {
  // With every page hidden the walk prints before the wizard is ever shown:
  // the box must already hold the stored choice, on the first capture too.
  for (const char* stored : {"1", "0", "1"}) {
    store.Set("Divers", "StretchToPage", stored);
    std::string seenByTheWalk;
    controls.onWalk = [&] { seenByTheWalk = controls.Value(Field::StretchToPage, 0); };
    settings.OpenWizard();
    EXPECT_EQ(seenByTheWalk, stored);
  }
}

TEST_F(SettingsTest, BoxesTickedWhileLoadingDoNotSaveButTheWalkDoes) {
  store.Set("Show", "0", "1");
  store.Set("Automate", "3", "1");
  settings.OpenWizard();
  ASSERT_EQ(controls.loadingWhenTicked.size(), 16u);
  for (bool loading : controls.loadingWhenTicked) EXPECT_TRUE(loading);
  EXPECT_FALSE(settings.LoadingSettings());
  // Nothing was written before the walk started; the walk's save wrote all.
  const auto firstShowWrite = std::find(store.writes.begin(), store.writes.end(), "Show/0");
  ASSERT_NE(firstShowWrite, store.writes.end());
  EXPECT_EQ(store.GetSetting("Automate", "3", ""), "1");
  EXPECT_EQ(store.GetSetting("Show", "0", ""), "1");
}

TEST_F(SettingsTest, TickingABoxOutsideLoadingWritesAtOnce) {
  controls.values["Automate4"] = "1";
  settings.SaveWizardSettings();
  EXPECT_EQ(store.GetSetting("Automate", "4", ""), "1");
}

TEST_F(SettingsTest, SaveOrderIsFixed) {
  controls.values["CropStyle0"] = "2";
  settings.SaveWizardSettings();
  std::vector<std::string> expected;
  for (int p = 0; p < 7; ++p) expected.push_back("Show/" + std::to_string(p));
  for (int a = 0; a < 9; ++a) expected.push_back("Automate/" + std::to_string(a));
  for (const char* key : {"Path", "Name", "Rotate", "Scaleing", "Effect0", "Effect1", "Effect2",
                          "Subject", "MessageBody", "MailAsZip", "SaveAsZip", "MailAsExe",
                          "SaveAsExe"})
    expected.push_back(std::string("Divers/") + key);
  expected.push_back("Automate/UseCropOrEdit");
  expected.push_back("Automate/CropStyle");
  EXPECT_EQ(store.writes, expected);
}

TEST_F(SettingsTest, NoCropStyleChosenLeavesItsKeyAlone) {
  store.Set("Automate", "CropStyle", "1");
  controls.values["CropStyle0"] = "";
  settings.SaveWizardSettings();
  EXPECT_EQ(store.GetSetting("Automate", "CropStyle", ""), "1");
}

TEST_F(SettingsTest, UnknownCropStyleKeepsThePreviousChoice) {
  controls.values["CropStyle0"] = "2";
  store.Set("Automate", "CropStyle", "7");
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::CropStyle, 0), "2");
  store.Set("Automate", "CropStyle", "1");
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::CropStyle, 0), "1");
}

TEST_F(SettingsTest, ThePointersMonitorIsAStoredCropStyle) {
  store.Set("Automate", "CropStyle", "3");
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::CropStyle, 0), "3");
  store.Set("Automate", "CropStyle", "4");
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::CropStyle, 0), "3");
}

TEST_F(SettingsTest, EditorChosenOnlyByAStoredZero) {
  store.Set("Automate", "UseCropOrEdit", "0");
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::UseCropOrEdit, 0), "0");
  store.Set("Automate", "UseCropOrEdit", "abc");  // Val("abc") is 0 too
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::UseCropOrEdit, 0), "0");
  store.Set("Automate", "UseCropOrEdit", "2");
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::UseCropOrEdit, 0), "1");
}

TEST_F(SettingsTest, RecipientsUntilTheEndMarkerThenTheLastOne) {
  store.Set("Addressbook", "1", "a@example.org");
  store.Set("Addressbook", "2", "b@example.org");
  store.Set("Addressbook", "4", "lost@example.org");
  store.Set("Addressbook", "Last", "b@example.org");
  settings.OpenWizard();
  EXPECT_EQ(controls.recipients, (std::vector<std::string>{"a@example.org", "b@example.org"}));
  EXPECT_EQ(controls.Value(Field::MailTo, 0), "b@example.org");
}

TEST_F(SettingsTest, VanishedFolderFallsBackToTheCurrentDirectory) {
  store.Set("Divers", "Path", "Q:\\Gone");
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::Path, 0), "C:\\Work");
  store.Set("Divers", "Path", "D:\\Pics");
  settings.OpenWizard();
  EXPECT_EQ(controls.Value(Field::Path, 0), "D:\\Pics");
}

TEST_F(SettingsTest, FileFormatOutsideTheListIsBitmap) {
  for (const char* stored : {"3", "9", "-1", "x"}) {
    store.Set("Divers", "FileFormat", stored);
    EXPECT_EQ(settings.StoredFileFormat(), std::string(stored) == "3" ? 3 : 0) << stored;
  }
  settings.FileFormatChanged(4);
  EXPECT_EQ(store.GetSetting("Divers", "FileFormat", ""), "4");
  settings.StretchPrintClicked(true);
  EXPECT_EQ(store.GetSetting("Divers", "StretchToPage", ""), "1");
}

// ---- unit system and selection text ----

TEST(ScaleSystemTest, TableOfUnits) {
  MemoryStore store;
  const std::vector<std::pair<std::string, ScaleSystem>> table = {
      {"0", {"Pixel", 15}}, {"1", {"Inch", 1440}}, {"2", {"Millimeter", 57}},
      {"3", {"Centimeter", 567}}, {"4", {"Twip", 1}}};
  for (const auto& [stored, expected] : table) {
    store.Set("Divers", "ScaleSystem", stored);
    const ScaleSystem got = LoadScaleSystem(store, 15, {"Twip", 1}, nullptr);
    EXPECT_EQ(got.unitName, expected.unitName);
    EXPECT_EQ(got.twipsPerUnit, expected.twipsPerUnit);
  }
  store.values.clear();
  EXPECT_EQ(LoadScaleSystem(store, 12, {}, nullptr).twipsPerUnit, 12) << "default is pixels";
  // A pixel's twips at 168 and 192 dpi are no whole numbers; rounded, the
  // wizard would show a 1920-pixel capture as 1800 pixels.
  EXPECT_EQ(LoadScaleSystem(store, 7.5, {}, nullptr).twipsPerUnit, 7.5) << "192 dpi";
  EXPECT_EQ(LoadScaleSystem(store, 1440.0 / 168, {}, nullptr).twipsPerUnit, 1440.0 / 168);
  EXPECT_EQ(LoadScaleSystem(store, 0, {}, nullptr).twipsPerUnit, 15) << "a screen saying nothing";
}

TEST(ScaleSystemTest, UnknownModeSaysSoAndKeepsThePreviousUnit) {
  MemoryStore store;
  store.Set("Divers", "ScaleSystem", "7");
  std::vector<std::string> messages;
  const ScaleSystem got = LoadScaleSystem(store, 15, {"Centimeter", 567},
                                          [&](const std::string& m) { messages.push_back(m); });
  EXPECT_EQ(messages, std::vector<std::string>{"Unknown Scale Mode 7"});
  EXPECT_EQ(got.unitName, "Centimeter");
  EXPECT_EQ(got.twipsPerUnit, 567);
}

// ---- crop preparation ----

TEST(CropPlanTest, EachStyleTakesItsRectangle) {
  CropInputs in;
  in.tempWidth = 300;
  in.tempHeight = 200;
  in.wholeWidth = 9600;
  in.wholeHeight = 7200;
  in.activeWindow = {150, 300, 1500, 900};
  in.selection = {30, 45, 600, 0};

  in.useEditor = true;
  in.cropStyle = 2;
  CropPlan plan = PlanCrop(in);
  EXPECT_EQ(plan.source, CropPlan::Source::Keep);
  EXPECT_EQ(plan.cropRect, (TwipsRect{0, 0, 300, 200}));

  in.useEditor = false;
  in.cropStyle = 0;
  plan = PlanCrop(in);
  EXPECT_EQ(plan.source, CropPlan::Source::Region);
  EXPECT_EQ(plan.cropRect, in.activeWindow);
  EXPECT_FALSE(plan.zeroBeforePaint);

  in.cropStyle = 1;
  plan = PlanCrop(in);
  EXPECT_EQ(plan.source, CropPlan::Source::Whole);
  EXPECT_EQ(plan.cropRect, (TwipsRect{0, 0, 9600, 7200}));

  in.cropStyle = 2;
  plan = PlanCrop(in);
  EXPECT_EQ(plan.cropRect, in.selection);
  EXPECT_TRUE(plan.zeroBeforePaint) << "a zero-height selection warns before painting";
  EXPECT_TRUE(IsZeroSize(plan.cropRect)) << "and again at the size check";

  // The pointer's monitor is a region of the whole capture, like a window.
  in.pointerMonitor = {28800, 0, 19200, 16200};
  in.cropStyle = kPointerMonitorCropStyle;
  plan = PlanCrop(in);
  EXPECT_EQ(plan.source, CropPlan::Source::Region);
  EXPECT_EQ(plan.cropRect, in.pointerMonitor);
  EXPECT_FALSE(plan.zeroBeforePaint);
  EXPECT_EQ(
      CropStyleRect(kPointerMonitorCropStyle, in.activeWindow, {}, in.selection, in.pointerMonitor),
      in.pointerMonitor);

  in.cropStyle = -1;
  EXPECT_EQ(PlanCrop(in).source, CropPlan::Source::Nothing);
}

}  // namespace
}  // namespace vistrel::wizard
