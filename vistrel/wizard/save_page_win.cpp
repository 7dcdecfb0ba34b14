#include "save_page_win.h"

#include "handoffs_win.h"
#include "recent_captures_win.h"
#include "save_it_win.h"
#include "wizard_res.h"

namespace vistrel::wizard {

void SavePage::Prepare() {
  lists_.Attach(Panel().Control(IDC_DRIVE), Panel().Control(IDC_DIRLIST));
  FillFileFormatList(FormatList(), Host().Settings().StoredFileFormat());
}

bool SavePage::StartsWork(int id) const { return id == IDC_PRIVSAVEIT; }

void SavePage::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_PRIVSAVEIT:
      if (code == BN_CLICKED) Save();
      break;
    case IDC_PRIVOPENSAVED:
      // The page's automatic name is the one the next save would use.
      if (code == BN_CLICKED)
        OpenLastSavedButtonWin(Host().Window(), lastSavedFile_, Panel().Text(IDC_SAVENAME));
      break;
    case IDC_PRIVSHOWEXPLORER:
      if (code == BN_CLICKED) ShowExplorer();
      break;
    case IDC_FILEFORMAT:
      if (code == CBN_SELCHANGE) {
        const auto index = SendMessageA(control, CB_GETCURSEL, 0, 0);
        if (index >= 0) Host().Settings().FileFormatChanged(static_cast<int>(index));
        RefreshName();
      }
      break;
    case IDC_COMPRESSSAVE:
      if (code == BN_CLICKED) {
        FollowCompressBox();
        RefreshName();
      }
      break;
    case IDC_COMPILEZIPSAVE:
      if (code == BN_CLICKED) RefreshName();
      break;
    case IDC_VISTRELNAME:
      if (code == EN_CHANGE) RefreshName();
      break;
    case IDC_DRIVE:
      if (code == CBN_SELCHANGE && lists_.OnDriveChange(Host().Window())) RefreshName();
      break;
    case IDC_DIRLIST:
      if (code == LBN_DBLCLK && lists_.OnDirlistDoubleClick()) RefreshName();
      break;
    default:
      break;
  }
}

bool SavePage::SetFolder(const std::string& folder) {
  if (!lists_.SetPath(folder)) return false;
  RefreshName();
  return true;
}

HWND SavePage::FormatList() const { return Panel().Control(IDC_FILEFORMAT); }

void SavePage::FollowCompressBox() {
  UpdateCompressOptions(Panel().Control(IDC_COMPRESSSAVE), Panel().Control(IDC_COMPILEZIPSAVE),
                        nullptr, nullptr);
}

SaveTarget SavePage::Target() const {
  SaveTarget target;
  target.folder = Folder();
  target.baseName = Panel().Text(IDC_VISTRELNAME);
  target.formatEntry = WindowText(FormatList());
  target.compressSave = Panel().Checked(IDC_COMPRESSSAVE);
  target.compileZipSave = Panel().Checked(IDC_COMPILEZIPSAVE);
  target.straightToFile = Panel().Checked(IDC_NOTSHOW);
  return target;
}

void SavePage::RefreshName() { Panel().SetText(IDC_SAVENAME, AutoFileNameWin(Target())); }

void SavePage::Save() {
  const SharedPicture picture = Pictures().fxPic;
  const SaveOutcome outcome =
      SaveItWin(Host().Window(), Target(), Handle(picture), lastSavedFile_);
  if (!outcome.saved) return;
  Panel().SetText(IDC_SAVENAME, outcome.saveName);
  RecordSavedCapture(lastSavedFile_);
}

void SavePage::ShowExplorer() { ShowExplorerWin(Host().Window(), lists_.Path()); }

void SavePage::OpenLastSaved() { OpenLastSavedWin(Host().Window(), lastSavedFile_); }

}  // namespace vistrel::wizard
