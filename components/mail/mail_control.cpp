#include "mail_control.h"

#include <fstream>
#include <random>

#include "mime_encoding.h"

namespace mail {

namespace {

std::string RandomTag() {
  static std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string tag;
  for (uint64_t value = generator(); tag.size() < 12; value /= 36) tag += kDigits[value % 36];
  return tag;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

MailControl::MailControl(TransportFactory makeTransport)
    : makeTransport_(std::move(makeTransport)) {}

MailControl::~MailControl() { Disconnect(); }

void MailControl::Reset() {
  recipient.clear();
  server.clear();
  port = 25;
  login = {};
  sender.clear();
  replyTo.clear();
  subject.clear();
  messageIdentifier.clear();
  bodyText.clear();
  contentType = "text";
  subType = "plain";
  parameters.clear();
  boundary.clear();
  extraHeaders_.clear();
  parts_.clear();
  attachmentFiles_.clear();
  message_.clear();
  error_ = {};
}

void MailControl::SetExtraHeader(int n, const std::string& line) {
  if (n < 0) return;
  if (static_cast<size_t>(n) >= extraHeaders_.size()) extraHeaders_.resize(n + 1);
  extraHeaders_[n] = line;
}

void MailControl::StartPart() {
  parts_.emplace_back();
  attachmentFiles_.emplace_back();
}

MimePart& MailControl::Part() {
  if (parts_.empty()) StartPart();
  return parts_.back();
}

bool MailControl::Fail(int code, std::string text) {
  error_ = {code, std::move(text), {}};
  return false;
}

bool MailControl::Encode() {
  if (parts_.empty()) return Fail(kUnreadableFile, "There is no attachment to encode.");
  std::ifstream file(attachmentFiles_.back(), std::ios::binary | std::ios::ate);
  const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
  if (size < 0) return Fail(kUnreadableFile, "The attachment could not be read.");
  // The whole file in one read, not a character at a time.
  std::string bytes(static_cast<size_t>(size), '\0');
  file.seekg(0);
  if (!file.read(bytes.data(), size))
    return Fail(kUnreadableFile, "The attachment could not be read.");
  parts_.back().body = Base64Lines(bytes);
  return true;
}

bool MailControl::Assemble() {
  // Header texts with line breaks would add header lines of their own.
  for (const std::string* field : {&recipient, &sender, &replyTo, &subject, &messageIdentifier})
    if (HasLineBreak(*field)) return Fail(kLineBreakInHeader, "A header field holds a line break.");
  for (const std::string& line : extraHeaders_)
    if (HasLineBreak(line)) return Fail(kLineBreakInHeader, "A header line holds a line break.");

  MimeMessage m;
  m.date = DateText(date ? *date : CurrentMailTime());
  m.from = Trim(sender);
  m.replyTo = Trim(replyTo);
  m.to = Trim(recipient);
  m.subject = HeaderText(subject, charset, isLeadByte, std::string_view("Subject: ").size());
  m.messageId = MessageIdText(messageIdentifier, RandomTag(), sender);
  for (const std::string& line : extraHeaders_)
    if (!line.empty()) m.extraHeaders.push_back(line);
  m.contentType = contentType;
  m.subType = subType;
  m.parameters = parameters;
  m.boundary = boundary;
  m.parts.push_back(TextPart(bodyText, charset));
  m.parts.insert(m.parts.end(), parts_.begin(), parts_.end());
  message_ = mail::Assemble(m);
  return true;
}

bool MailControl::Connect() {
  Disconnect();
  std::string host;
  uint16_t port = 25;
  bool named = false;
  if (!SplitServer(Trim(server), host, port, &named))
    return Fail(kBadServerName, "The server's name is not valid: " + server);
  if (!named) port = this->port;
  transport_ = makeTransport_();
  SmtpHooks hooks{onDebug, onProgress, idle, onStage};
  client_ = std::make_unique<SmtpClient>(*transport_, hooks, timeouts);
  if (client_->Connect(host, port, login)) return true;
  error_ = client_->Error();
  return false;
}

bool MailControl::Send() {
  if (!client_) return Fail(kNotConnected, "There is no connection to the server.");
  if (client_->SendMail(AddressOnly(sender), AddressOnly(recipient), message_)) return true;
  error_ = client_->Error();
  return false;
}

void MailControl::Disconnect() {
  if (client_) client_->Quit();
  client_.reset();
  transport_.reset();
}

}  // namespace mail
