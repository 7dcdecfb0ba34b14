#pragma once
// The wizard's remembered values: what is read when the wizard opens, in
// which order, and what is written as the user works.
#include <string>
#include <string_view>

#include "settings_store.h"

namespace vistrel::wizard {

// The wizard's controls, by the setting they hold. Boxes are "0"/"1",
// option pairs the index of the chosen option.
enum class Field {
  NotShow,         // index: the page
  Automate,        // index 0..8
  Path,            // folder list
  Name,            // VistrelName
  Rotate,          // RotText
  Scaleing,        // PercText(0)
  Effect,          // index 0..2
  Subject,
  MessageBody,
  MailAsZip,       // CompressMail
  SaveAsZip,       // CompressSave
  MailAsExe,       // CompileZipMail
  SaveAsExe,       // CompileZipSave
  FileFormat,      // list index 0..5
  UseCropOrEdit,   // "0" editor, "1" autocropping
  CropStyle,       // "0".."3"; empty when no option is chosen
  StretchToPage,   // StretchPrint
  MailTo,          // the recipient box's text
};

class SettingsControls {
 public:
  virtual ~SettingsControls() = default;
  virtual std::string Value(Field field, int index) const = 0;
  // Sets the control as the user would, so its own handler runs. Returns
  // false when the value cannot be taken (a folder that no longer exists).
  virtual bool Apply(Field field, int index, std::string_view text) = 0;
  virtual void AddRecipient(std::string_view address) = 0;
  virtual std::string CurrentDirectory() const = 0;
  virtual void ApplyAreaChoice(int wahl) = 0;
  virtual void UpdateCompressOptions() = 0;
  virtual void LoadScaleSystem() = 0;
  virtual void ShowSelection() = 0;
  // CurrentPage -1 and one move forward.
  virtual void StartWalk() = 0;
};

class OutputSettings {
 public:
  OutputSettings(SettingsStore& store, SettingsControls& controls)
      : store_(store), controls_(controls) {}

  // True while stored values are being put into the boxes.
  bool LoadingSettings() const { return loading_; }

  // OpenWizard: applies every stored value in order and starts the walk.
  void OpenWizard();
  // SaveWizardSettings: does nothing while the settings are being loaded.
  void SaveWizardSettings();
  // The list's index is stored as soon as it changes.
  void FileFormatChanged(int index);
  void StretchPrintClicked(bool ticked);
  // The format index stored, for the window's load (0..5; 0 otherwise).
  int StoredFileFormat() const;

 private:
  void ApplyLoading(Field field, int index, std::string_view text);

  SettingsStore& store_;
  SettingsControls& controls_;
  bool loading_ = false;
};

}  // namespace vistrel::wizard
