#pragma once
// The recent captures in the program's settings, stamped with the local time.
#include <string>

namespace vistrel {

// Called where a picture file was written successfully.
void RecordSavedCapture(const std::string& path);

}  // namespace vistrel
