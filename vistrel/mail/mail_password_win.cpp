#include "mail_password_win.h"

#include <windows.h>
#include <wincrypt.h>

namespace vistrel {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr wchar_t kDescription[] = L"Mail password";

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string ProtectPassword(const std::string& password) {
  if (password.empty()) return {};
  DATA_BLOB plain{static_cast<DWORD>(password.size()),
                  reinterpret_cast<BYTE*>(const_cast<char*>(password.data()))};
  DATA_BLOB sealed{};
  if (!CryptProtectData(&plain, kDescription, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                        &sealed))
    return {};
  std::string text;
  text.reserve(sealed.cbData * 2);
  for (DWORD i = 0; i < sealed.cbData; ++i) {
    text += kDigits[sealed.pbData[i] >> 4];
    text += kDigits[sealed.pbData[i] & 15];
  }
  LocalFree(sealed.pbData);
  return text;
}

std::string RevealPassword(const std::string& stored) {
  if (stored.empty() || stored.size() % 2 != 0) return {};
  std::string bytes;
  bytes.reserve(stored.size() / 2);
  for (size_t i = 0; i < stored.size(); i += 2) {
    const int high = DigitValue(stored[i]), low = DigitValue(stored[i + 1]);
    if (high < 0 || low < 0) return {};
    bytes += static_cast<char>(high * 16 + low);
  }
  DATA_BLOB sealed{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
  DATA_BLOB plain{};
  if (!CryptUnprotectData(&sealed, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &plain))
    return {};
  std::string password(reinterpret_cast<const char*>(plain.pbData), plain.cbData);
  SecureZeroMemory(plain.pbData, plain.cbData);
  LocalFree(plain.pbData);
  return password;
}

}  // namespace vistrel
