#include "address_book.h"

#include <cctype>

namespace vistrel {

namespace {

constexpr int kMaxEntries = 10000;  // as many as the mail page lists

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

int UpdateAddressBook(SettingsStore& store, const std::string& mailTo) {
  const std::string wanted = Lower(mailTo);
  bool known = false;
  int key = 1;
  for (; key <= kMaxEntries; ++key) {
    const std::string entry = Lower(store.GetSetting("Addressbook", std::to_string(key), "leer"));
    if (entry == "leer") break;
    if (entry == wanted) known = true;
  }
  int added = 0;
  if (!known && key <= kMaxEntries) {
    store.SaveSetting("Addressbook", std::to_string(key), mailTo);
    added = key;
  }
  store.SaveSetting("Addressbook", "Last", mailTo);
  return added;
}

}  // namespace vistrel
