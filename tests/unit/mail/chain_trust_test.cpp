// Which of the chain engine's findings stop a send: a certificate known to be
// revoked does, whatever else is found with it; a revocation that could not
// be checked does not, and leaves a note for the debug lines.
#include "chain_trust.h"

#include <gtest/gtest.h>

namespace {

using namespace mail::chain;

TEST(JudgeChain, RevokedStopsAndUncheckedRevocationGoesOnWithANote) {
  struct Case {
    uint32_t status;
    const char* problem;  // empty: the send goes on
    bool note;
  };
  const Case cases[] = {
      {0, "", false},
      {kRevocationStatusUnknown, "", true},
      {kRevocationStatusUnknown | kOfflineRevocation, "", true},
      {kOfflineRevocation, "", true},
      {kNoIssuanceChainPolicy, "", false},
      {kRevoked, mail::certificate_text::kRevoked, false},
      // Revoked and unknown at once (the leaf revoked, an intermediate unchecked).
      {kRevoked | kRevocationStatusUnknown | kOfflineRevocation, mail::certificate_text::kRevoked,
       false},
      {kRevoked | kUntrustedRoot, mail::certificate_text::kRevoked, false},
      {kUntrustedRoot | kRevocationStatusUnknown, mail::certificate_text::kUntrustedRoot, true},
      {kPartialChain, mail::certificate_text::kUntrustedRoot, false},
      {kNotTimeValid, mail::certificate_text::kExpired, false},
      {kNotSignatureValid, mail::certificate_text::kBadSignature, false},
      {kNotValidForUsage, mail::certificate_text::kWrongUsage, false},
      {kExplicitDistrust, mail::certificate_text::kDistrusted, false},
      {0x00000100, "The server's certificate was refused (chain status 0x00000100).", false},
  };
  for (const Case& c : cases) {
    const mail::ChainVerdict verdict = mail::JudgeChain(c.status);
    EXPECT_EQ(verdict.problem, c.problem) << std::hex << c.status;
    EXPECT_EQ(!verdict.note.empty(), c.note) << std::hex << c.status;
  }
  EXPECT_NE(mail::JudgeChain(kRevocationStatusUnknown).note.find("revocation could not be checked"),
            std::string::npos);
}

}  // namespace
