#pragma once
// Text that must not outlive its use in memory (the mail password and the
// login lines made from it): its bytes are overwritten before the memory is
// given back, when it changes, moves or goes, and growing it never leaves an
// old copy behind.
#include <string>
#include <string_view>

namespace mail {

// Overwrites the whole buffer of `text` (all its capacity, not only its
// length) with zeros, then empties it.
void WipeText(std::string& text);

class SecretText {
 public:
  SecretText() = default;
  SecretText(const char* text) : text_(text) {}  // NOLINT: a literal password in tests
  explicit SecretText(std::string_view text) : text_(text) {}
  // Takes the text over and wipes what the move leaves in `text`.
  SecretText(std::string&& text);  // NOLINT: a function's result becomes secret at once
  SecretText(const SecretText& other) : text_(other.text_) {}
  SecretText(SecretText&& other) noexcept;
  SecretText& operator=(const SecretText& other);
  SecretText& operator=(SecretText&& other) noexcept;
  ~SecretText() { WipeText(text_); }

  // Room for `size` bytes, so that appending up to it keeps one buffer.
  void Reserve(size_t size);
  void Append(std::string_view more);
  void Append(char c) { Append(std::string_view(&c, 1)); }
  void Clear() { WipeText(text_); }
  bool empty() const { return text_.empty(); }
  size_t size() const { return text_.size(); }
  std::string_view View() const { return text_; }

 private:
  std::string text_;
};

}  // namespace mail
