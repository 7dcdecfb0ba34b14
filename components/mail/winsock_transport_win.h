#pragma once
// The mail control's transport on Windows: a non-blocking Winsock stream socket.
#include <functional>
#include <memory>

#include "smtp_transport.h"

struct addrinfo;

namespace mail {

// Looks up a server's name as getaddrinfo does (0 or the error's number).
using NameLookup =
    std::function<int(const char* host, const char* port, const addrinfo* hints, addrinfo** found)>;

// The server's name is looked up on a thread of its own, so the window's
// events run while it waits and the connection's deadline bounds it.
std::unique_ptr<Transport> MakeWinsockTransport();
// The same with `lookup` in place of getaddrinfo (for tests: a slow name server).
std::unique_ptr<Transport> MakeWinsockTransportWithLookup(NameLookup lookup);

}  // namespace mail
