/* The extraction dialog (caption, target folder, optional file list and
   overwrite choice, Extract and Cancel), the overwrite question, and the
   command run after a successful extraction. */
#include "sfx_app_win.h"

#include <shellapi.h>
#include <shlobj.h>
#include <stdlib.h>
#include <string.h>

#include "zipsfx_res.h"

/* Hides a band of the dialog and pulls everything below it up. */
static void Collapse(HWND dlg, int topDlu, int heightDlu, const int *ids, int count) {
  RECT band = {0, topDlu, 0, topDlu + heightDlu};
  MapDialogRect(dlg, &band);
  int shift = band.bottom - band.top;
  for (int i = 0; i < count; ++i) ShowWindow(GetDlgItem(dlg, ids[i]), SW_HIDE);
  for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(NULL, dlg, (POINT *)&r, 2);
    if (r.top >= band.bottom)
      SetWindowPos(child, NULL, r.left, r.top - shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  RECT w;
  GetWindowRect(dlg, &w);
  SetWindowPos(dlg, NULL, w.left, w.top + shift / 2, w.right - w.left, w.bottom - w.top - shift,
               SWP_NOZORDER);
}

static void InitDialog(SfxApp *app, HWND dlg) {
  app->dialog = dlg;
  SetWindowTextA(dlg, app->header.caption);
  char folder[MAX_PATH];
  SfxDefaultFolder(app, folder, sizeof folder);
  SetDlgItemTextA(dlg, IDC_FOLDER, folder);
  SendDlgItemMessageA(dlg, IDC_FOLDER, EM_LIMITTEXT, MAX_PATH - 1, 0);
  CheckRadioButton(dlg, IDC_ASK, IDC_NEVER, IDC_ASK + (int)app->mode);

  /* Bands are folded bottom first, so the upper band's coordinates still hold. */
  if (app->header.flags & SFX_FLAG_HIDE_OVERWRITE_BOX) {
    static const int ids[] = {IDC_OVERWRITE_GROUP, IDC_ASK, IDC_ALWAYS, IDC_NEVER};
    Collapse(dlg, SFX_OVERWRITE_TOP, SFX_OVERWRITE_HEIGHT, ids, 4);
  }
  if (app->header.flags & SFX_FLAG_ASK_FILES) {
    HWND list = GetDlgItem(dlg, IDC_FILES);
    for (uint32_t i = 0; i < app->archive.count; ++i)
      SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)app->archive.entries[i].name);
    SendMessageA(list, LB_SETSEL, TRUE, -1);
  } else {
    static const int ids[] = {IDC_FILES_LABEL, IDC_FILES};
    Collapse(dlg, SFX_FILES_TOP, SFX_FILES_HEIGHT, ids, 2);
  }
  SetForegroundWindow(dlg);
}

static void Browse(HWND dlg) {
  char path[MAX_PATH];
  BROWSEINFOA bi;
  memset(&bi, 0, sizeof bi);
  bi.hwndOwner = dlg;
  bi.pszDisplayName = path;
  bi.lpszTitle = "Choose the folder to extract the files to:";
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  HRESULT init = CoInitialize(NULL);
  LPITEMIDLIST item = SHBrowseForFolderA(&bi);
  if (item) {
    if (SHGetPathFromIDListA(item, path)) SetDlgItemTextA(dlg, IDC_FOLDER, path);
    CoTaskMemFree(item);
  }
  if (SUCCEEDED(init)) CoUninitialize();
}

static void EnableInputs(HWND dlg, BOOL on) {
  static const int ids[] = {IDC_FOLDER, IDC_BROWSE, IDC_FILES, IDC_ASK, IDC_ALWAYS, IDC_NEVER, IDOK};
  for (size_t i = 0; i < sizeof ids / sizeof ids[0]; ++i) EnableWindow(GetDlgItem(dlg, ids[i]), on);
}

/* Runs the archive's command in the target folder: a program, or a document
   opened with its associated program. */
static void RunCommand(SfxApp *app) {
  const char *cmd = app->header.commandLine;
  if (!cmd[0]) return;
  if (app->header.flags & SFX_FLAG_ASK_CMD_LINE) {
    char question[SFX_HEADER_TEXT_MAX + 64] = "Run this command now?\r\n\r\n";
    SfxAppend(question, sizeof question, cmd);
    if (MessageBoxA(app->dialog, question, app->header.caption, MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
      return;
  }
  char file[SFX_HEADER_TEXT_MAX + 1];
  const char *rest = cmd;
  SfxNextArg(&rest, file, sizeof file);
  while (*rest == ' ' || *rest == '\t') ++rest;
  SetCurrentDirectoryA(app->folder);
  HINSTANCE done = ShellExecuteA(app->dialog, NULL, file, *rest ? rest : NULL, app->folder,
                                 SW_SHOWNORMAL);
  if ((INT_PTR)done <= 32) {
    char text[SFX_HEADER_TEXT_MAX + 128] = "The files were extracted, but this command could not be run:\r\n\r\n";
    SfxAppend(text, sizeof text, cmd);
    MessageBoxA(app->dialog, text, app->header.caption, MB_OK | MB_ICONWARNING);
  }
}

static void Extract(SfxApp *app, HWND dlg) {
  char folder[MAX_PATH];
  GetDlgItemTextA(dlg, IDC_FOLDER, folder, sizeof folder);
  char *start = folder;
  while (*start == ' ') ++start;
  size_t len = strlen(start);
  while (len > 0 && start[len - 1] == ' ') start[--len] = '\0';
  if (!*start) {
    MessageBoxA(dlg, "Please enter the folder to extract the files to.", app->header.caption,
                MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dlg, IDC_FOLDER));
    return;
  }
  if (SfxPrepareFolder(app, start) != 0) {
    char text[MAX_PATH + 64] = "This folder cannot be created:\r\n\r\n";
    SfxAppend(text, sizeof text, start);
    MessageBoxA(dlg, text, app->header.caption, MB_OK | MB_ICONERROR);
    SetFocus(GetDlgItem(dlg, IDC_FOLDER));
    return;
  }
  app->mode = IsDlgButtonChecked(dlg, IDC_ALWAYS)  ? SFX_OVERWRITE_ALWAYS
              : IsDlgButtonChecked(dlg, IDC_NEVER) ? SFX_OVERWRITE_NEVER
                                                   : SFX_OVERWRITE_CONFIRM;
  if (app->header.flags & SFX_FLAG_ASK_FILES) {
    app->selected = (uint8_t *)calloc(app->archive.count + 1, 1);
    if (app->selected)
      for (uint32_t i = 0; i < app->archive.count; ++i)
        app->selected[i] = SendDlgItemMessageA(dlg, IDC_FILES, LB_GETSEL, i, 0) > 0;
  }
  EnableInputs(dlg, FALSE);
  app->running = 1;
  int code = SfxExtractInto(app);
  app->running = 0;
  if (code == SFX_EXIT_OK) RunCommand(app);
  EndDialog(dlg, code);
}

static INT_PTR CALLBACK MainProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  SfxApp *app = (SfxApp *)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      InitDialog((SfxApp *)lParam, dlg);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (!app->running) Extract(app, dlg);
          return TRUE;
        case IDCANCEL:
          /* While extracting, Cancel stops after the current entry. */
          if (app->running)
            app->cancel = 1;
          else
            EndDialog(dlg, SFX_EXIT_CANCELLED);
          return TRUE;
        case IDC_BROWSE:
          Browse(dlg);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

int SfxRunDialog(SfxApp *app) {
  INT_PTR code = DialogBoxParamA(app->instance, MAKEINTRESOURCEA(IDD_SFX), NULL, MainProc,
                                 (LPARAM)app);
  app->dialog = NULL;
  return code < 0 ? SFX_EXIT_FAILED : (int)code;
}


static INT_PTR CALLBACK OverwriteProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      char text[MAX_PATH + 64] = "The file\r\n";
      SfxAppend(text, sizeof text, (const char *)lParam);
      SfxAppend(text, sizeof text, "\r\nalready exists. Replace it?");
      SetDlgItemTextA(dlg, IDC_QUESTION, text);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDYES:
          EndDialog(dlg, SFX_ANSWER_YES);
          return TRUE;
        case IDC_YES_ALL:
          EndDialog(dlg, SFX_ANSWER_YES_TO_ALL);
          return TRUE;
        case IDNO:
          EndDialog(dlg, SFX_ANSWER_NO);
          return TRUE;
        case IDC_NO_ALL:
          EndDialog(dlg, SFX_ANSWER_NO_TO_ALL);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, SFX_ANSWER_CANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

SfxAnswer SfxAskOverwrite(SfxApp *app, const char *path) {
  char full[MAX_PATH] = "";
  SfxAppend(full, sizeof full, app->folder);
  SfxAppend(full, sizeof full, "\\");
  SfxAppend(full, sizeof full, path);
  INT_PTR answer = DialogBoxParamA(app->instance, MAKEINTRESOURCEA(IDD_OVERWRITE), app->dialog,
                                   OverwriteProc, (LPARAM)full);
  return answer < 0 ? SFX_ANSWER_CANCEL : (SfxAnswer)answer;
}
