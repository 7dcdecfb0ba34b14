#include "send_mail_win.h"

#include <random>
#include <string>
#include <utility>

#include "charset_name.h"
#include "clipboard_picture_win.h"
#include "event_pump_win.h"
#include "file_handle_win.h"
#include "mail_form_win.h"
#include "mail_password_win.h"
#include "output_files_win.h"
#include "output_picture.h"
#include "picture_win.h"
#include "program_paths_win.h"
#include "program_settings_win.h"
#include "send_mail.h"
#include "shell_state.h"
#include "stage_times_win.h"
#include "tls_transport_win.h"
#include "vistlib_client_win.h"
#include "wait_cursor_win.h"
#include "window_text_win.h"
#include "window_thunk_win.h"
#include "winsock_transport_win.h"

namespace vistrel {

namespace {

bool Ticked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

class MailPortsWin final : public MailPorts {
 public:
  MailPortsWin(HWND owner, const MailPageControls& page, SharedPicture fxPic,
               const ConvertImageFn& convert, const std::function<void(HWND)>& openSetupDialog)
      : owner_(owner),
        page_(page),
        fxPic_(std::move(fxPic)),
        convert_(convert),
        openSetupDialog_(openSetupDialog),
        random_(std::random_device{}()) {}

  bool FxPicEmpty() override { return PictureIsEmpty(Handle(fxPic_)); }
  bool WriteBitmap(const std::string& path) override {
    const bool written = WriteBitmapFile(Handle(fxPic_), path);
    writeError_ = written ? 0 : GetLastError();
    return written;
  }
  long ConvertFxPic(const std::string& command) override {
    writeError_ = 0;
    // Without our picture on the clipboard the component would convert whatever is there.
    if (!PutBitmapOnClipboard(owner_, Handle(fxPic_), true)) return kClipboardBusy;
    const long result = convert_(command);
    // The component leaves the system's cause of a failed write as the last error.
    if (result == kCannotWrite) writeError_ = GetLastError();
    StageTime("mail converted");
    return result;
  }
  unsigned long LastWriteError() override { return writeError_; }
  unsigned long WhyNotWritable(const std::string& target, const std::string& source) override {
    return WriteProbeError(target, source);
  }
  std::string SystemErrorText(unsigned long code) override { return SystemMessageText(code); }
  void AddToZip(const std::string& file, const std::string& archive) override {
    VistlibClient::Instance().AddToZip(file, archive);
  }
  void MakeExe(const std::string& archive) override { VistlibClient::Instance().MakeExe(archive); }
  bool ArchiveHolds(const std::string& archive, const std::string& entryName) override {
    return ArchiveListsEntry(archive, entryName);
  }
  bool FileExists(const std::string& path) override { return FileCanBeRead(path); }
  void RemoveFile(const std::string& path) override { ::DeleteFileA(path.c_str()); }
  std::string TempFolder() override { return OwnTempFolder(); }
  LocalTime Now() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }
  double Random() override { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }
  void DoEvents() override { vistrel::DoEvents(); }
  void ShowHourglass() override { hourglass_.Show(); }
  void RestorePointer() override { hourglass_.Restore(); }
  void NormalPointer() override {
    hourglass_.Restore();
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
  }
  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& caption) override {
    HWND over = MailForm::IsOpen() ? MailForm::Window() : owner_;
    MessageBoxA(over, text.c_str(), caption.c_str(),
                MB_OK | (icon == MessageIcon::Critical ? MB_ICONSTOP : 0));
  }
  void AddRecipientToList(const std::string& address) override {
    SendMessageA(page_.mailTo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(address.c_str()));
  }
  void OpenSetupDialog() override {
    if (openSetupDialog_) openSetupDialog_(owner_);
  }
  void ShowMailForm() override { MailForm::Show(owner_); }
  void CloseMailForm() override { MailForm::Close(); }
  void ShowStatus(const std::string& text) override {
    StageTime(text.c_str());  // each status line is a stage for whoever times the send
    MailForm::AddStatus(text);
  }
  bool MoreInfo() override { return MailForm::MoreInfo(); }
  void AppendDebugLine(const std::string& text) override {
    FileHandle file(CreateFileA((ProgramFolder() + "\\MailDbg.txt").c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.Valid()) return;
    const std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  void ShowProgress(int percent) override { MailForm::SetProgress(percent); }
  std::string RevealPassword(const std::string& stored) override {
    return vistrel::RevealPassword(stored);
  }

 private:
  HWND owner_;
  MailPageControls page_;
  SharedPicture fxPic_;
  const ConvertImageFn& convert_;
  DWORD writeError_ = 0;  // the system's cause of the last failed picture write
  const std::function<void(HWND)>& openSetupDialog_;
  std::mt19937_64 random_;
  Hourglass hourglass_;
};

// What the send could not report itself (it failed before or while reporting):
// said in a message, and MailForm closed, as after any other failed send.
void ReportUnexpected(HWND owner, const char* cause) noexcept {
  try {
    std::string text = "The mail was not sent: an unexpected error stopped it";
    if (cause && *cause) text += std::string(" (") + cause + ")";
    text += ".";
    const std::string caption = std::string(kAppTitle) + kSendErrorCaption;
    MessageBoxA(MailForm::IsOpen() ? MailForm::Window() : owner, text.c_str(), caption.c_str(),
                MB_OK | MB_ICONSTOP);
    MailForm::Close();
  } catch (...) {
    // Out of memory for even the message: the window at least goes.
    LogCaughtException("reporting a failed send", cause);
    if (MailForm::IsOpen()) DestroyWindow(MailForm::Window());
  }
}

}  // namespace

void SendMailFromPage(HWND owner, const MailPageControls& page, SharedPicture fxPic,
                      const ConvertImageFn& convert,
                      const std::function<void(HWND owner)>& openSetupDialog) {
  StageTime("mail clicked");
  // Nothing may leave the button's handler. SendMail reports what happens inside
  // it; this catches what happens around it (reading the page, making the control).
  try {
    MailInputs in;
    in.mailTo = WindowText(page.mailTo);
    in.subject = WindowText(page.subject);
    in.msgBody = WindowText(page.msgBody);
    in.compressMail = Ticked(page.compressMail);
    in.compileZipMail = Ticked(page.compileZipMail);
    in.formatEntry = WindowText(page.fileFormat);

    // Plain until the mail settings ask for encryption.
    mail::MailControl control([] { return mail::MakeTlsTransport(mail::MakeWinsockTransport()); });
    control.charset = CharsetForCodePage(GetACP());
    control.isLeadByte = [](unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; };
    MailPortsWin ports(owner, page, std::move(fxPic), convert, openSetupDialog);
    SendMail(in, ports, ProgramSettings(), control);
  } catch (const std::exception& error) {
    ReportUnexpected(owner, error.what());
  } catch (...) {
    ReportUnexpected(owner, nullptr);
  }
  ReleaseOwnTempFolder();  // when the mail's files are gone
}

}  // namespace vistrel
