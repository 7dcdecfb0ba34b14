#pragma once
// The mail control's transport on Windows: a non-blocking Winsock stream socket.
#include <memory>

#include "smtp_transport.h"

namespace mail {

std::unique_ptr<Transport> MakeWinsockTransport();

}  // namespace mail
