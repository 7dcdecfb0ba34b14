#pragma once
// Fills the packer's parameter block from the component's settings, with the
// strings copied into buffers that live as long as the builder.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "zip_param_block.h"
#include "zip_settings.h"

namespace vistlib::zip {

class ParamBlockBuilder {
 public:
  // Specifications beyond kMaxSpecs are dropped; strings must fit their
  // buffers (see Fits).
  ParamBlockBuilder(const ZipSettings& settings, void* ownerWindow, void* caller,
                    ZipCallback callback, const std::vector<std::string>& specs,
                    const std::string& archivePath);
  ParamBlockBuilder(const ParamBlockBuilder&) = delete;
  ParamBlockBuilder& operator=(const ParamBlockBuilder&) = delete;

  ParamBlock* Block() { return block_.get(); }

  // Whether a text fits a zero-terminated buffer of that size.
  static bool Fits(const std::string& text, std::size_t bufferSize) {
    return text.size() < bufferSize;
  }

 private:
  using PathBuffer = std::array<char, kPathBufferSize>;
  std::unique_ptr<ParamBlock> block_;
  std::array<char, kPasswordBufferSize> password_{};
  PathBuffer archive_{};
  std::vector<PathBuffer> specs_;
};

}  // namespace vistlib::zip
