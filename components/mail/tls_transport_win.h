#pragma once
// TLS over another transport with the system's own TLS provider (SChannel,
// through SSPI). Until StartTls the bytes pass through unchanged, so one
// transport serves both STARTTLS and TLS from the first byte. The server's
// certificate is checked against the system's trusted roots and the host
// name; every problem found stops the connection with a text that names it.
#include <memory>

#include "smtp_transport.h"

struct _SECURITY_FUNCTION_TABLE_W;

namespace mail {

// `provider` is the TLS provider's function table (the system's when null;
// tests give one with some functions of their own).
std::unique_ptr<Transport> MakeTlsTransport(std::unique_ptr<Transport> inner,
                                            const _SECURITY_FUNCTION_TABLE_W* provider = nullptr);

}  // namespace mail
