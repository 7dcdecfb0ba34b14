#pragma once
// The name a file is written under before it is renamed into place. It
// carries the writing process's id, so that a later start can tell the
// leftovers of a writer that died (a kill, a power cut) from a file another
// running copy is writing now, and from anything that is not ours.
#include <optional>
#include <string>

namespace vistrel {

// "C:\Pics\Vistrel.bmp" written by process 1234: "C:\Pics\Vistrel.bmp.vistrel-1234.part".
std::string PartialFileName(const std::string& path, unsigned long processId);

// The writer's process id when `fileName` (without folder) is one of our
// partial files, nothing for any other name. The archive library writes a
// partial archive through a temporary file of its own beside it, named
// after it with "." and eight hex digits: that is ours too.
std::optional<unsigned long> PartialFileOwner(const std::string& fileName);

// The pattern that finds candidates in a folder listing.
inline constexpr char kPartialFilePattern[] = "*.vistrel-*.part*";

}  // namespace vistrel
