#include "output_settings.h"

#include <cmath>

#include "number_text.h"
#include "wizard_walk.h"

namespace vistrel::wizard {

namespace {

constexpr std::string_view kDivers = "Divers";
constexpr std::string_view kShow = "Show";
constexpr std::string_view kAutomate = "Automate";
constexpr std::string_view kAddressbook = "Addressbook";
constexpr int kFormatCount = 6;
// The address book ends at the first missing key; this bound only keeps a
// damaged store from making the opening endless.
constexpr int kMaxRecipients = 10000;

std::string Digit(int index) { return std::to_string(index); }

// A stored box value as the box takes it: anything non-zero ticks it.
std::string BoxText(std::string_view stored) { return Val(stored) != 0 ? "1" : "0"; }

}  // namespace

void OutputSettings::ApplyLoading(Field field, int index, std::string_view text) {
  loading_ = true;
  controls_.Apply(field, index, text);
  loading_ = false;
}

int OutputSettings::StoredFileFormat() const {
  const double value = Val(store_.GetSetting(kDivers, "FileFormat", "0"));
  if (value < 0 || value >= kFormatCount || value != std::floor(value)) return 0;
  return static_cast<int>(value);
}

void OutputSettings::OpenWizard() {
  // 1. Recipients, then the last one used.
  for (int i = 1; i <= kMaxRecipients; ++i) {
    const std::string address = store_.GetSetting(kAddressbook, Digit(i), "leer");
    if (address == "leer") break;
    controls_.AddRecipient(address);
  }
  controls_.Apply(Field::MailTo, 0, store_.GetSetting(kAddressbook, "last", ""));

  // 2. Mail texts and the zip choices.
  controls_.Apply(Field::Subject, 0, store_.GetSetting(kDivers, "Subject", ""));
  controls_.Apply(Field::MessageBody, 0, store_.GetSetting(kDivers, "MessageBody", ""));
  controls_.Apply(Field::MailAsZip, 0, BoxText(store_.GetSetting(kDivers, "MailAsZip", "0")));
  controls_.Apply(Field::SaveAsZip, 0, BoxText(store_.GetSetting(kDivers, "SaveAsZip", "0")));
  controls_.Apply(Field::MailAsExe, 0, BoxText(store_.GetSetting(kDivers, "MailAsExe", "0")));
  controls_.Apply(Field::SaveAsExe, 0, BoxText(store_.GetSetting(kDivers, "SaveAsExe", "0")));
  controls_.UpdateCompressOptions();

  // 3. Page visibility; the first run creates the section with every page shown.
  if (store_.GetSetting(kShow, "0", "noentry") == "noentry") {
    for (int page = 0; page < kPageCount; ++page) {
      store_.SaveSetting(kShow, Digit(page), "0");
      ApplyLoading(Field::NotShow, page, "0");
    }
  } else {
    for (int page = 0; page < kPageCount; ++page)
      ApplyLoading(Field::NotShow, page, BoxText(store_.GetSetting(kShow, Digit(page), "0")));
  }

  // 4. Format and unit.
  controls_.Apply(Field::FileFormat, 0, Digit(StoredFileFormat()));
  controls_.LoadScaleSystem();

  // 5. Effects.
  controls_.Apply(Field::Rotate, 0, store_.GetSetting(kDivers, "Rotate", "0"));
  controls_.Apply(Field::Scaleing, 0, store_.GetSetting(kDivers, "Scaleing", "100"));
  for (int i = 0; i < 3; ++i)
    controls_.Apply(Field::Effect, i,
                    BoxText(store_.GetSetting(kDivers, "Effect" + Digit(i), "0")));

  // 6. Auto click boxes.
  for (int i = 0; i < kAutomateCount; ++i)
    ApplyLoading(Field::Automate, i, BoxText(store_.GetSetting(kAutomate, Digit(i), "0")));

  // 7. Folder, falling back to the current directory when it is gone.
  const std::string current = controls_.CurrentDirectory();
  if (!controls_.Apply(Field::Path, 0, store_.GetSetting(kDivers, "Path", current)))
    controls_.Apply(Field::Path, 0, current);

  // 8. Name, the shell's area choice, unit and selection text.
  controls_.Apply(Field::Name, 0, store_.GetSetting(kDivers, "Name", "Vistrel"));
  const auto wahl = RoundToInt32(Val(store_.GetSetting(kDivers, "Wahl", "0")));
  controls_.ApplyAreaChoice(wahl && *wahl >= 0 && *wahl <= 3 ? *wahl : 0);
  controls_.LoadScaleSystem();
  controls_.ShowSelection();

  // 9. Editor or cropping, and the crop style when it is one of the three.
  controls_.Apply(Field::UseCropOrEdit, 0,
                  Val(store_.GetSetting(kAutomate, "UseCropOrEdit", "1")) == 0 ? "0" : "1");
  const std::string style = store_.GetSetting(kAutomate, "CropStyle", "0");
  if (style == "0" || style == "1" || style == "2" || style == "3")
    controls_.Apply(Field::CropStyle, 0, style);

  // 10. Print stretch, before the walk: with the pages hidden, the walk's own
  // automatic print reads this box.
  controls_.Apply(Field::StretchToPage, 0,
                  BoxText(store_.GetSetting(kDivers, "StretchToPage", "0")));

  // 11. The walk.
  controls_.StartWalk();
  controls_.ShowSelection();
}

void OutputSettings::SaveWizardSettings() {
  if (loading_) return;
  for (int page = 0; page < kPageCount; ++page)
    store_.SaveSetting(kShow, Digit(page), controls_.Value(Field::NotShow, page));
  for (int i = 0; i < kAutomateCount; ++i)
    store_.SaveSetting(kAutomate, Digit(i), controls_.Value(Field::Automate, i));
  store_.SaveSetting(kDivers, "Path", controls_.Value(Field::Path, 0));
  store_.SaveSetting(kDivers, "Name", controls_.Value(Field::Name, 0));
  store_.SaveSetting(kDivers, "Rotate", controls_.Value(Field::Rotate, 0));
  store_.SaveSetting(kDivers, "Scaleing", controls_.Value(Field::Scaleing, 0));
  for (int i = 0; i < 3; ++i)
    store_.SaveSetting(kDivers, "Effect" + Digit(i), controls_.Value(Field::Effect, i));
  store_.SaveSetting(kDivers, "Subject", controls_.Value(Field::Subject, 0));
  store_.SaveSetting(kDivers, "MessageBody", controls_.Value(Field::MessageBody, 0));
  store_.SaveSetting(kDivers, "MailAsZip", controls_.Value(Field::MailAsZip, 0));
  store_.SaveSetting(kDivers, "SaveAsZip", controls_.Value(Field::SaveAsZip, 0));
  store_.SaveSetting(kDivers, "MailAsExe", controls_.Value(Field::MailAsExe, 0));
  store_.SaveSetting(kDivers, "SaveAsExe", controls_.Value(Field::SaveAsExe, 0));
  store_.SaveSetting(kAutomate, "UseCropOrEdit", controls_.Value(Field::UseCropOrEdit, 0));
  const std::string style = controls_.Value(Field::CropStyle, 0);
  if (!style.empty()) store_.SaveSetting(kAutomate, "CropStyle", style);
}

void OutputSettings::FileFormatChanged(int index) {
  store_.SaveSetting(kDivers, "FileFormat", Digit(index));
}

void OutputSettings::StretchPrintClicked(bool ticked) {
  store_.SaveSetting(kDivers, "StretchToPage", ticked ? "1" : "0");
}

}  // namespace vistrel::wizard
