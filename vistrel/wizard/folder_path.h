#pragma once
// Path rules of the save page's drive and folder lists.
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// "C:\" from "C:\Pics\Old" (the first three characters).
std::string DriveRoot(std::string_view folder);

// The folders from the drive root down to `folder`: "C:\", "C:\Pics", "C:\Pics\Old".
std::vector<std::string> FolderChain(std::string_view folder);

// `folder` + "\" + `name`, without doubling the backslash of a drive root.
std::string JoinFolder(std::string_view folder, std::string_view name);

// The message for a drive that cannot be read: Drive "c:" not available. (with a trailing space)
std::string DriveNotAvailableText(std::string_view driveEntry);

}  // namespace vistrel
