// The wizard's settings on its controls: the values the settings code reads
// from the pages and writes back to them, and the few page changes it asks for.
#include "wizard_window_win.h"

#include "number_text.h"

namespace vistrel::wizard {

std::string Wizard::Value(Field field, int index) const {
  auto box = [&](int page, int id) { return std::string(Checked(page, id) ? "1" : "0"); };
  switch (field) {
    case Field::NotShow: return box(index, IDC_NOTSHOW);
    case Field::Automate: return box(kAutomatePage[index], IDC_AUTOMATE0 + index);
    case Field::Path: return save_.Folder();
    case Field::Name: return WindowText(Control(kSavePage, IDC_VISTRELNAME));
    case Field::Rotate: return WindowText(Control(kEffectsPage, IDC_ROTTEXT));
    case Field::Scaleing: return WindowText(Control(kEffectsPage, IDC_PERCTEXT0));
    case Field::Effect: return box(kEffectsPage, IDC_EFFECT0 + index);
    case Field::Subject: return WindowText(Control(kMailPage, IDC_SUBJECT));
    case Field::MessageBody: return WindowText(Control(kMailPage, IDC_MSGBODY));
    case Field::MailAsZip: return box(kMailPage, IDC_COMPRESSMAIL);
    case Field::SaveAsZip: return box(kSavePage, IDC_COMPRESSSAVE);
    case Field::MailAsExe: return box(kMailPage, IDC_COMPILEZIPMAIL);
    case Field::SaveAsExe: return box(kSavePage, IDC_COMPILEZIPSAVE);
    case Field::FileFormat:
      return std::to_string(SendMessageA(Control(kSavePage, IDC_FILEFORMAT), CB_GETCURSEL, 0, 0));
    case Field::UseCropOrEdit: return crop_.UsesEditor() ? "0" : "1";
    case Field::CropStyle: {
      const int style = CropStyle();
      return style < 0 ? std::string() : std::to_string(style);
    }
    case Field::StretchToPage: return box(kPrintPage, IDC_STRETCHPRINT);
    case Field::MailTo: return WindowText(Control(kMailPage, IDC_MAILTO));
  }
  return {};
}

bool Wizard::Apply(Field field, int index, std::string_view value) {
  const std::string text(value);
  const bool on = Val(text) != 0;
  auto box = [&](int page, int id) {
    SetChecked(page, id, on);
    OnCommand(page, id, BN_CLICKED, Control(page, id));
  };
  auto edit = [&](int page, int id) { SetDlgItemTextA(pages_[page], id, text.c_str()); };
  switch (field) {
    case Field::NotShow: box(index, IDC_NOTSHOW); break;
    case Field::Automate: box(kAutomatePage[index], IDC_AUTOMATE0 + index); break;
    case Field::Path:
      if (!save_.SetFolder(text)) return false;
      break;
    case Field::Name: edit(kSavePage, IDC_VISTRELNAME); break;
    case Field::Rotate: edit(kEffectsPage, IDC_ROTTEXT); break;
    case Field::Scaleing: edit(kEffectsPage, IDC_PERCTEXT0); break;
    case Field::Effect: box(kEffectsPage, IDC_EFFECT0 + index); break;
    case Field::Subject: edit(kMailPage, IDC_SUBJECT); break;
    case Field::MessageBody: edit(kMailPage, IDC_MSGBODY); break;
    case Field::MailAsZip: box(kMailPage, IDC_COMPRESSMAIL); break;
    case Field::SaveAsZip: box(kSavePage, IDC_COMPRESSSAVE); break;
    case Field::MailAsExe: box(kMailPage, IDC_COMPILEZIPMAIL); break;
    case Field::SaveAsExe: box(kSavePage, IDC_COMPILEZIPSAVE); break;
    case Field::FileFormat:
      SendMessageA(Control(kSavePage, IDC_FILEFORMAT), CB_SETCURSEL, static_cast<WPARAM>(Val(text)),
                   0);
      OnCommand(kSavePage, IDC_FILEFORMAT, CBN_SELCHANGE, Control(kSavePage, IDC_FILEFORMAT));
      break;
    case Field::UseCropOrEdit: crop_.UseCropOrEdit(text == "0"); break;
    case Field::CropStyle: SetCropStyle(static_cast<int>(Val(text))); break;
    case Field::StretchToPage: box(kPrintPage, IDC_STRETCHPRINT); break;
    case Field::MailTo: edit(kMailPage, IDC_MAILTO); break;
  }
  return true;
}

void Wizard::AddRecipient(std::string_view address) {
  const std::string text(address);
  SendMessageA(Control(kMailPage, IDC_MAILTO), CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
}

std::string Wizard::CurrentDirectory() const {
  char path[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string("C:\\");
}

void Wizard::ApplyAreaChoice(int wahl) {
  if (hooks_.applyAreaChoice) hooks_.applyAreaChoice(wahl);
}

void Wizard::UpdateCompressOptions() {
  save_.FollowCompressBox();
  mail_.FollowCompressBox();
}

void Wizard::LoadScaleSystem() {
  scale_ = wizard::LoadScaleSystem(ProgramSettings(), TwipsPerPixelX, scale_,
                                   [this](const std::string& text) { Message(text, 0); });
  effects_.ShowUnit(scale_.unitName);
}

}  // namespace vistrel::wizard
