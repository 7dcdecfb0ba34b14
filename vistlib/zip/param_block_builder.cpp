#include "param_block_builder.h"

#include <algorithm>
#include <cstring>

namespace vistlib::zip {
namespace {

template <std::size_t N>
void CopyInto(std::array<char, N>& buffer, const std::string& text) {
  const std::size_t n = std::min(text.size(), N - 1);
  std::memcpy(buffer.data(), text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

ParamBlockBuilder::ParamBlockBuilder(const ZipSettings& settings, void* ownerWindow, void* caller,
                                     ZipCallback callback, const std::vector<std::string>& specs,
                                     const std::string& archivePath)
    : block_(std::make_unique<ParamBlock>()) {
  ParamBlock& b = *block_;
  std::memset(&b, 0, sizeof b);
  const auto& o = settings.AddOptions;
  b.handle = ownerWindow;
  b.caller = caller;
  b.version = kParamBlockVersion;
  b.callback = callback;
  b.trace = Flag(settings.Trace);
  CopyInto(password_, settings.Password);
  b.password = password_.data();
  b.encrypt = Flag(o.Has(AddEncrypt));
  b.systemFiles = Flag(o.Has(AddHiddenFiles));
  b.noDirEntries = kTrue;
  b.verbose = Flag(settings.Verbose || settings.Trace);
  b.quiet = kTrue;
  b.level = settings.AddCompLevel;
  b.junkDirNames = Flag(!o.Has(AddDirNames));
  b.recurse = Flag(o.Has(AddRecurseDirs));
  b.grow = kTrue;
  b.forceDos = Flag(o.Has(AddForceDOS));
  b.move = Flag(o.Has(AddMove));
  b.update = Flag(o.Has(AddUpdate));
  b.freshen = Flag(o.Has(AddFreshen) && !o.Has(AddUpdate));
  b.latestTime = Flag(o.Has(AddZipTime));
  const std::size_t count = std::min(specs.size(), kMaxSpecs);
  specs_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    CopyInto(specs_[i], specs[i]);
    b.specs[i] = specs_[i].data();
  }
  b.specCount = static_cast<int32_t>(count);
  CopyInto(archive_, archivePath);
  b.archivePath = archive_.data();
  b.check = kParamBlockCheck;
}

}  // namespace vistlib::zip
