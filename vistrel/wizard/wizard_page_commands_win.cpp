// Each page's commands and the work they start; the wizard's OnCommand
// hands a command to its page.
#include "crop_preparation.h"
#include "handoffs_win.h"
#include "wizard_window_win.h"

namespace vistrel::wizard {

// The editor or the area.
void Wizard::OnCropPageCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_USECROPOREDIT0:
    case IDC_USECROPOREDIT1:
      if (code == BN_CLICKED) OnUseCropOrEdit(id == IDC_USECROPOREDIT0);
      break;
    case IDC_CROPSTYLE0:
    case IDC_CROPSTYLE1:
    case IDC_CROPSTYLE2:
      if (code == BN_CLICKED) SetCropStyle(id - IDC_CROPSTYLE0);
      break;
    case IDC_CROPSTYLE3:
      if (code == BN_CLICKED) SetCropStyle(kPointerMonitorCropStyle);
      break;
    case IDC_SELECTAREA:
      if (code == BN_CLICKED) OnSelectArea();
      break;
    case IDC_PRIVGETSELECTIONWINDOW:
      if (code == BN_CLICKED) EditCapture();
      break;
    default:
      break;
  }
}

// Scale, rotation and the preview.
void Wizard::OnEffectsPageCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_PREVIEWCLICK:
      if (code == BN_CLICKED) Preview();
      break;
    case IDC_PERCTEXT0:
    case IDC_SCALETEXTX:
    case IDC_SCALETEXTY:
    case IDC_ROTTEXT: {
      if (code != EN_CHANGE) break;
      const EffectsControls controls = EffectsPageControls();
      const ScaleContext crop = CropScale();
      if (id == IDC_ROTTEXT) {
        RotTextChange(controls);
      } else if (GetFocus() == control) {
        // Only what the user types; the boxes rewrite each other.
        if (id == IDC_PERCTEXT0) PercTextKeyUp(controls, crop);
        if (id == IDC_SCALETEXTX) ScaleTextXKeyUp(controls, crop);
        if (id == IDC_SCALETEXTY) ScaleTextYKeyUp(controls, crop);
      }
      break;
    }
    default:
      break;
  }
}

// Folder, name, format and the save.
void Wizard::OnSavePageCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_PRIVSAVEIT:
      if (code == BN_CLICKED) Save();
      break;
    case IDC_PRIVOPENSAVED:
      // The page's automatic name is the one the next save would use.
      if (code == BN_CLICKED)
        OpenLastSavedButtonWin(window_, lastSavedFile_,
                               WindowText(Control(kSavePage, IDC_SAVENAME)));
      break;
    case IDC_PRIVSHOWEXPLORER:
      if (code == BN_CLICKED) ShowExplorerWin(window_, lists_.Path());
      break;
    case IDC_FILEFORMAT:
      if (code == CBN_SELCHANGE) {
        const auto index = SendMessageA(control, CB_GETCURSEL, 0, 0);
        if (index >= 0) settings_.FileFormatChanged(static_cast<int>(index));
        RefreshSaveName();
      }
      break;
    case IDC_COMPRESSSAVE:
      if (code == BN_CLICKED) {
        UpdateCompressOptions();
        RefreshSaveName();
      }
      break;
    case IDC_COMPILEZIPSAVE:
      if (code == BN_CLICKED) RefreshSaveName();
      break;
    case IDC_VISTRELNAME:
      if (code == EN_CHANGE) RefreshSaveName();
      break;
    case IDC_DRIVE:
      if (code == CBN_SELCHANGE && lists_.OnDriveChange(window_)) RefreshSaveName();
      break;
    case IDC_DIRLIST:
      if (code == LBN_DBLCLK && lists_.OnDirlistDoubleClick()) RefreshSaveName();
      break;
    default:
      break;
  }
}

// Copy and view.
void Wizard::OnClipboardPageCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_COPYTOCLIPCOMMAND:
      if (code == BN_CLICKED) CopyToClipboard(window_, Handle(SharedPicture(fxPic)), true);
      break;
    case IDC_VIEWCLIPBOARD:
      if (code == BN_CLICKED) ViewClipboard();
      break;
    default:
      break;
  }
}

// The send and its archive choice.
void Wizard::OnMailPageCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_SENDMAILBTTN:
      if (code == BN_CLICKED) MailIt();
      break;
    case IDC_COMPRESSMAIL:
      if (code == BN_CLICKED) UpdateCompressOptions();
      break;
    default:
      break;
  }
}

// Copies, stretching, the printer.
void Wizard::OnPrintPageCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_PRIVDRUCKEN:
      if (code == BN_CLICKED) Print();
      break;
    case IDC_PRINTOPTIONS:
      if (code == BN_CLICKED) {
        printer_.RunSetupDialog(window_);
        SetDlgItemTextA(pages_[kPrintPage], IDC_PRINTERDISP, printer_.Describe().c_str());
      }
      break;
    case IDC_STRETCHPRINT:
      if (code == BN_CLICKED) settings_.StretchPrintClicked(Checked(kPrintPage, IDC_STRETCHPRINT));
      break;
    case IDC_COPIES:
      if (code == EN_CHANGE) OnCopiesChange();
      break;
    default:
      break;
  }
}

}  // namespace vistrel::wizard
