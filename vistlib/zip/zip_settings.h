#pragma once
// The zip component's properties, with the values this program uses.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace vistlib::zip {

enum AddOption : unsigned {
  AddDirNames = 0,
  AddRecurseDirs,
  AddMove,
  AddFreshen,
  AddUpdate,
  AddZipTime,
  AddForceDOS,
  AddHiddenFiles,
  AddEncrypt,
};

enum SfxOption : unsigned {
  SFXAskCmdLine = 0,
  SFXAskFiles,
  SFXHideOverWriteBox,
};

enum OverWriteMode : int {
  OvrConfirm = 0,
  OvrAlways = 1,
  OvrNever = 2,
};

// A small bit set over one of the option enums.
template <typename E>
class OptionSet {
 public:
  constexpr OptionSet() = default;
  constexpr OptionSet(std::initializer_list<E> options) {
    for (E option : options) Include(option);
  }
  constexpr void Include(E option) { bits_ |= 1u << static_cast<unsigned>(option); }
  constexpr bool Has(E option) const { return (bits_ >> static_cast<unsigned>(option)) & 1u; }
  constexpr uint32_t Bits() const { return bits_; }

 private:
  uint32_t bits_ = 0;
};

struct ZipSettings {
  std::string Password;  // at most 80 characters
  int AddCompLevel = 9;
  OptionSet<AddOption> AddOptions;
  bool Trace = false;
  bool Verbose = false;
  OptionSet<SfxOption> SFXOptions;
  OverWriteMode SFXOverWriteMode = OvrConfirm;
  std::string SFXCaption = "Self-extracting Archive";
  std::string SFXDefaultDir;
  std::string SFXCommandLine;
};

}  // namespace vistlib::zip
