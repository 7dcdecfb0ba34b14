// The TLS transport against a misbehaving server that the end-to-end tests
// start (tests/e2e/tls_peer.py) and name in VISTREL_TLS_PEER as "<port>
// <scenario>"; skipped when none is named. A server that asks for an optional
// client certificate is answered without one; one that sends empty records
// without end does not hold a read past its wait; a certificate its authority
// revoked is refused, and one whose revocation list cannot be fetched is
// taken, with a note for the debug lines; a new handshake the server asks
// for in the middle is made, and the data flows on.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "tls_transport_win.h"
#include "winsock_transport_win.h"

namespace {

using Io = mail::Transport::Io;

// Drives `step` (one bounded wait) until it is no longer Pending or 20 s pass.
template <typename Step>
Io Until(Step step) {
  const DWORD start = GetTickCount();
  Io io = Io::Pending;
  while (io == Io::Pending && GetTickCount() - start < 20000) io = step();
  return io;
}

TEST(TlsPeer, TheNamedPeer) {
  const char* named = std::getenv("VISTREL_TLS_PEER");
  if (named == nullptr) GTEST_SKIP() << "no peer named";
  std::istringstream words(named);
  int port = 0;
  std::string scenario;
  words >> port >> scenario;
  auto transport = mail::MakeTlsTransport(mail::MakeWinsockTransport());
  mail::TransportError error;
  ASSERT_NE(transport->Open("127.0.0.1", static_cast<uint16_t>(port), error), Io::Failed)
      << error.text;
  ASSERT_EQ(Until([&] { return transport->WaitConnected(100, error); }), Io::Done) << error.text;
  Io io = transport->StartTls("127.0.0.1", error);
  if (io == Io::Pending) io = Until([&] { return transport->WaitSecured(100, error); });
  if (scenario == "revoked") {
    EXPECT_EQ(io, Io::Failed);
    EXPECT_EQ(error.code, mail::Transport::kBadCertificate);
    EXPECT_EQ(error.text, "The server's certificate has been revoked.");
    return;
  }
  ASSERT_EQ(io, Io::Done) << error.text;
  if (scenario == "unchecked-revocation") {
    EXPECT_NE(transport->SecurityNote().find("revocation could not be checked"), std::string::npos)
        << transport->SecurityNote();
  }

  if (scenario == "client-cert" || scenario == "unchecked-revocation") {
    std::string got;
    while (got.find("\r\n") == std::string::npos) {
      io = Until([&] { return transport->Receive(got, 100, error); });
      ASSERT_EQ(io, Io::Done) << error.text;
    }
    EXPECT_EQ(got, "hello\r\n");
  } else if (scenario == "renegotiate") {
    // The server sends a line, asks for a new handshake, then sends another.
    // The request goes to the provider: the handshake is made and the data
    // flows on, or (a provider that cannot) the connection stops with a
    // message. The peer's log tells whether a handshake was made.
    std::string got;
    while (got.find("after") == std::string::npos) {
      io = Until([&] { return transport->Receive(got, 100, error); });
      if (io == Io::Failed) {
        EXPECT_NE(error.text.find("new TLS handshake"), std::string::npos) << error.text;
        std::printf("renegotiation refused: %s\n", error.text.c_str());
        return;
      }
      ASSERT_EQ(io, Io::Done) << error.text << " after: " << got;
    }
    EXPECT_NE(got.find("before"), std::string::npos);
    std::printf("renegotiated\n");
  } else if (scenario == "empty") {
    // Each read returns within about its wait, with nothing (or with the
    // provider's refusal of the flood), while the records keep coming.
    for (int i = 0; i < 10; ++i) {
      std::string got;
      const DWORD start = GetTickCount();
      io = transport->Receive(got, 200, error);
      const DWORD took = GetTickCount() - start;
      EXPECT_LT(took, 1500u) << "read " << i;
      EXPECT_TRUE(got.empty());
      if (io == Io::Failed) {
        std::printf("refused: %s\n", error.text.c_str());
        break;
      }
      EXPECT_EQ(io, Io::Pending) << "read " << i;
    }
  } else {
    FAIL() << "unknown scenario " << scenario;
  }
  transport->Close();
}

}  // namespace
