#pragma once
// What the system's certificate chain engine found, judged: which of its
// error bits stop a send and which are only worth a debug line. The bits are
// the chain engine's own (CERT_TRUST_* of wincrypt.h; the Win32 side checks
// that they match), so the judgement is testable without Windows.
#include <cstdint>
#include <string>

namespace mail {

namespace chain {
inline constexpr uint32_t kNotTimeValid = 0x00000001;
inline constexpr uint32_t kRevoked = 0x00000004;
inline constexpr uint32_t kNotSignatureValid = 0x00000008;
inline constexpr uint32_t kNotValidForUsage = 0x00000010;
inline constexpr uint32_t kUntrustedRoot = 0x00000020;
inline constexpr uint32_t kRevocationStatusUnknown = 0x00000040;
inline constexpr uint32_t kCyclic = 0x00000080;
inline constexpr uint32_t kPartialChain = 0x00010000;
inline constexpr uint32_t kOfflineRevocation = 0x01000000;
inline constexpr uint32_t kNoIssuanceChainPolicy = 0x02000000;
inline constexpr uint32_t kExplicitDistrust = 0x04000000;
}  // namespace chain

// The texts of the certificate problems, shared with the TLS policy's own checks.
namespace certificate_text {
inline constexpr char kUntrustedRoot[] =
    "The server's certificate is not from a trusted certificate authority.";
inline constexpr char kExpired[] = "The server's certificate has expired or is not valid yet.";
inline constexpr char kRevoked[] = "The server's certificate has been revoked.";
inline constexpr char kBadSignature[] = "The signature on the server's certificate is not valid.";
inline constexpr char kWrongUsage[] = "The server's certificate is not meant for a server.";
inline constexpr char kDistrusted[] =
    "The server's certificate, or the authority that issued it, is marked as not to be trusted "
    "on this computer.";
}  // namespace certificate_text

struct ChainVerdict {
  std::string problem;  // why the send stops; empty when it may go on
  std::string note;     // what the debug lines should say (revocation not checked); may be empty
};

// A certificate known to be revoked, or any other fault of the chain, stops
// the send. A revocation that could not be checked (no revocation server
// reachable, none named) does not: the connection goes on, and the note says so.
ChainVerdict JudgeChain(uint32_t errorStatus);

}  // namespace mail
