#pragma once
// The save page: folder, name, format and archive choice, the save itself,
// and the hand-offs to the saved file and its folder.
#include <string>

#include "save_it.h"
#include "save_page_lists_win.h"
#include "wizard_page_win.h"
#include "wizard_walk.h"

namespace vistrel::wizard {

class SavePage final : public WizardPage {
 public:
  explicit SavePage(PageHost& host) : WizardPage(kSavePage, host) {}

  bool StartsWork(int id) const override;
  void OnCommand(int id, int code, HWND control) override;

  const std::string& Folder() const { return lists_.Path(); }
  // Shows `folder` in the lists; false (nothing changes) when it cannot be read.
  bool SetFolder(const std::string& folder);
  // The format list; the mail's attachment takes its format from it too.
  HWND FormatList() const;
  // The "self executable" box is enabled while "compress" is ticked.
  void FollowCompressBox();

  // The name the next save would use.
  void RefreshName();
  void Save();
  void ShowExplorer();
  void OpenLastSaved();

 private:
  void Prepare() override;
  SaveTarget Target() const;

  DriveFolderLists lists_;
  std::string lastSavedFile_;
};

}  // namespace vistrel::wizard
