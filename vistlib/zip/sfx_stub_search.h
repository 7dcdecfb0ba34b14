#pragma once
// Where the self-extractor stub ZIPSFX.BIN is looked for, in order.
#include <functional>
#include <string>

namespace vistlib::zip {

struct SfxSearchPlaces {
  std::string sfxPath;  // remembered from an earlier search, or empty
  std::string currentDirectory;
  std::string hostProgramDirectory;
  std::string systemDirectory;
  std::string windowsDirectory;
  std::string dllDirectory;  // empty when not set
};

// The first existing candidate, or "" when there is none.
std::string FindSfxStub(const SfxSearchPlaces& places,
                        const std::function<bool(const std::string&)>& exists);

// folder + "\" + name, without doubling a separator the folder ends with.
std::string JoinPath(const std::string& folder, const std::string& name);

// The path with its extension (if any) replaced by `extension`.
std::string ChangeExtension(const std::string& path, const std::string& extension);

// The extension of the file name, with its dot, or "".
std::string ExtensionOf(const std::string& path);

}  // namespace vistlib::zip
