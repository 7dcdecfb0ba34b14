#include "secret_text.h"

#include <utility>

namespace mail {

void WipeText(std::string& text) {
  // Written through a volatile pointer, so the compiler cannot drop the
  // stores to memory that is about to be freed.
  volatile char* bytes = text.data();
  for (size_t i = 0; i < text.capacity(); ++i) bytes[i] = 0;
  text.clear();
}

SecretText::SecretText(std::string&& text) : text_(std::move(text)) { WipeText(text); }

SecretText::SecretText(SecretText&& other) noexcept : text_(std::move(other.text_)) {
  WipeText(other.text_);
}

SecretText& SecretText::operator=(const SecretText& other) {
  if (this != &other) {
    WipeText(text_);
    Append(other.View());
  }
  return *this;
}

SecretText& SecretText::operator=(SecretText&& other) noexcept {
  if (this != &other) {
    WipeText(text_);
    text_.swap(other.text_);
    WipeText(other.text_);
  }
  return *this;
}

void SecretText::Reserve(size_t size) {
  if (size <= text_.capacity()) return;
  // A new buffer of its own, so the old one can be wiped before it goes.
  std::string larger;
  larger.reserve(size);
  larger.append(text_);
  WipeText(text_);
  text_.swap(larger);
}

void SecretText::Append(std::string_view more) {
  Reserve(text_.size() + more.size());
  text_.append(more);
}

}  // namespace mail
