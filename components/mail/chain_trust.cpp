#include "chain_trust.h"

#include <cstdio>

namespace mail {

ChainVerdict JudgeChain(uint32_t status) {
  ChainVerdict verdict;
  // A revocation server that cannot be reached says nothing against the
  // certificate; only a revocation that was found stops the send.
  constexpr uint32_t kUnchecked = chain::kRevocationStatusUnknown | chain::kOfflineRevocation;
  if ((status & kUnchecked) && !(status & chain::kRevoked))
    verdict.note =
        "The server certificate's revocation could not be checked (its revocation list or "
        "responder could not be reached, or it names none); the connection goes on.";
  // Asked for no issuance policy, so its absence is no fault.
  status &= ~(kUnchecked | chain::kNoIssuanceChainPolicy);
  if (status == 0) return verdict;
  if (status & chain::kRevoked) {
    verdict.problem = certificate_text::kRevoked;
  } else if (status & chain::kExplicitDistrust) {
    verdict.problem = certificate_text::kDistrusted;
  } else if (status & (chain::kUntrustedRoot | chain::kPartialChain | chain::kCyclic)) {
    verdict.problem = certificate_text::kUntrustedRoot;
  } else if (status & chain::kNotTimeValid) {
    verdict.problem = certificate_text::kExpired;
  } else if (status & chain::kNotSignatureValid) {
    verdict.problem = certificate_text::kBadSignature;
  } else if (status & chain::kNotValidForUsage) {
    verdict.problem = certificate_text::kWrongUsage;
  } else {
    char text[96];
    std::snprintf(text, sizeof text, "The server's certificate was refused (chain status 0x%08lX).",
                  static_cast<unsigned long>(status));
    verdict.problem = text;
  }
  return verdict;
}

}  // namespace mail
