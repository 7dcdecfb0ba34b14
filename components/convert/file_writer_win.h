#pragma once
// Writes a whole file under a temporary name in the same folder and renames
// it into place, so that a failed write leaves nothing behind and an older
// file of the same name intact. A failure leaves the system's cause as the
// thread's last error.
#include <cstdint>
#include <string>

#include "encoders.h"

namespace tiffdll {

int32_t WriteFileReplacing(const std::string& path, const Bytes& bytes);

}  // namespace tiffdll
