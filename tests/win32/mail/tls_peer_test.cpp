// The TLS transport against servers that misbehave. With providers of the
// test's own (the system's function table with some functions replaced): a
// request for an optional client certificate is answered without one, empty
// records without end do not hold a read past its wait, and a request for a
// new handshake is handed back to the provider. Against real servers that the
// end-to-end tests start (tests/e2e/tls_peer.py) and name in VISTREL_TLS_PEER
// as "<port> <scenario>": the same through Wine's provider, a certificate its
// authority revoked is refused, one whose revocation list cannot be fetched
// is taken with a note for the debug lines. The tests that need a trusted
// certificate (VISTREL_TLS_CERT) or a peer are skipped without one.
#define SECURITY_WIN32
#include <windows.h>
// After windows.h, which they build on.
#include <wincrypt.h>
// The TLS provider's declarations, after the certificate ones.
#include <gtest/gtest.h>
#include <schannel.h>
#include <security.h>
#include <sspi.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "scripted_server.h"
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

// A provider whose handshake, once the server has spoken, asks for a client
// certificate (SEC_I_INCOMPLETE_CREDENTIALS) until it is told to go on with
// the credentials it has; then the handshake ends and the certificate check
// finds no certificate. Wine's provider answers such a request itself, so
// only a provider of our own can make it.
struct CertificateAsking {
  static inline int calls = 0;
  static inline bool toldToGoOn = false;
  static SECURITY_STATUS SEC_ENTRY Initialize(PCredHandle, PCtxtHandle context, SEC_WCHAR*,
                                              ULONG wanted, ULONG, ULONG, PSecBufferDesc, ULONG,
                                              PCtxtHandle newContext, PSecBufferDesc,
                                              PULONG granted, PTimeStamp) {
    ++calls;
    *granted = 0;
    if (context == nullptr) {
      newContext->dwLower = newContext->dwUpper = 1;
      return SEC_I_CONTINUE_NEEDED;
    }
    toldToGoOn = (wanted & ISC_REQ_USE_SUPPLIED_CREDS) != 0;
    return toldToGoOn ? SEC_E_OK : SEC_I_INCOMPLETE_CREDENTIALS;
  }
  static SECURITY_STATUS SEC_ENTRY Query(PCtxtHandle, ULONG, void*) {
    return SEC_E_UNSUPPORTED_FUNCTION;
  }
  static SECURITY_STATUS SEC_ENTRY Delete(PCtxtHandle) { return SEC_E_OK; }
};

// The server's side of it: its first flight arrives at once.
class HandshakeBytes final : public mail::Transport {
 public:
  Io Open(const std::string&, uint16_t, mail::TransportError&) override { return Io::Done; }
  Io WaitConnected(int, mail::TransportError&) override { return Io::Done; }
  Io Send(std::string_view bytes, size_t& sent, int, mail::TransportError&) override {
    sent = bytes.size();
    return Io::Done;
  }
  Io Receive(std::string& into, int, mail::TransportError&) override {
    into += "server hello";
    return Io::Done;
  }
  std::string LocalName() override { return "[127.0.0.1]"; }
  void Close() override {}
};

TEST(TlsTransport, AnOptionalClientCertificateIsLeftOut) {
  SecurityFunctionTableW provider = *InitSecurityInterfaceW();
  provider.InitializeSecurityContextW = CertificateAsking::Initialize;
  provider.QueryContextAttributesW = CertificateAsking::Query;
  provider.DeleteSecurityContext = CertificateAsking::Delete;
  auto transport = mail::MakeTlsTransport(std::make_unique<HandshakeBytes>(), &provider);
  mail::TransportError error;
  ASSERT_EQ(transport->Open("mail.test", 465, error), Io::Done);
  Io io = transport->StartTls("mail.test", error);
  if (io == Io::Pending) io = Until([&] { return transport->WaitSecured(100, error); });
  // The handshake went on past the request, to the certificate check.
  EXPECT_TRUE(CertificateAsking::toldToGoOn);
  EXPECT_EQ(CertificateAsking::calls, 3);
  EXPECT_EQ(io, Io::Failed);
  EXPECT_EQ(error.text, "The server sent no certificate.");
}

// The certificate in a PEM file, or null.
PCCERT_CONTEXT LoadCertificate(const char* path) {
  std::string pem;
  if (FILE* file = std::fopen(path, "rb")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) pem.append(chunk, n);
    std::fclose(file);
  }
  BYTE der[8192];
  DWORD derSize = sizeof der;
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der, &derSize, nullptr,
                            nullptr))
    return nullptr;
  return CertCreateCertificateContext(X509_ASN_ENCODING, der, derSize);
}

// A provider whose handshake ends at once with the certificate named in
// VISTREL_TLS_CERT (a PEM file the end-to-end tests make and trust), and
// whose every record after it is empty: a server that sends nothing else.
// Skipped without a certificate.
struct EmptyRecords {
  static inline PCCERT_CONTEXT certificate = nullptr;
  static inline long decrypts = 0;
  static inline DWORD firstDecrypt = 0;
  static SECURITY_STATUS SEC_ENTRY Initialize(PCredHandle, PCtxtHandle context, SEC_WCHAR*, ULONG,
                                              ULONG, ULONG, PSecBufferDesc, ULONG,
                                              PCtxtHandle newContext, PSecBufferDesc,
                                              PULONG granted, PTimeStamp) {
    *granted = 0;
    if (context != nullptr) return SEC_E_OK;
    newContext->dwLower = newContext->dwUpper = 1;
    return SEC_I_CONTINUE_NEEDED;
  }
  static SECURITY_STATUS SEC_ENTRY Query(PCtxtHandle, ULONG attribute, void* buffer) {
    if (attribute == SECPKG_ATTR_REMOTE_CERT_CONTEXT) {
      *static_cast<PCCERT_CONTEXT*>(buffer) = CertDuplicateCertificateContext(certificate);
      return SEC_E_OK;
    }
    if (attribute == SECPKG_ATTR_STREAM_SIZES) {
      *static_cast<SecPkgContext_StreamSizes*>(buffer) = {5, 16, 16384, 4, 16};
      return SEC_E_OK;
    }
    return SEC_E_UNSUPPORTED_FUNCTION;
  }
  // Each call takes one byte as a record without data; five seconds after the
  // first (a loop that never looks at its clock), a record with data ends it.
  static SECURITY_STATUS SEC_ENTRY Decrypt(PCtxtHandle, PSecBufferDesc message, ULONG, PULONG) {
    SecBuffer* buffers = message->pBuffers;
    char* bytes = static_cast<char*>(buffers[0].pvBuffer);
    const ULONG size = buffers[0].cbBuffer;
    if (decrypts++ == 0) firstDecrypt = GetTickCount();
    const bool data = GetTickCount() - firstDecrypt > 5000;
    buffers[0] = {0, SECBUFFER_STREAM_HEADER, bytes};
    buffers[1] = {data ? 1UL : 0UL, SECBUFFER_DATA, bytes};
    buffers[2] = {0, SECBUFFER_STREAM_TRAILER, bytes};
    buffers[3] = {size - 1, size > 1 ? static_cast<ULONG>(SECBUFFER_EXTRA) : SECBUFFER_EMPTY,
                  bytes + 1};
    return SEC_E_OK;
  }
  static SECURITY_STATUS SEC_ENTRY Delete(PCtxtHandle) { return SEC_E_OK; }
};

TEST(TlsTransport, EmptyRecordsDoNotHoldAReadPastItsWait) {
  const char* named = std::getenv("VISTREL_TLS_CERT");
  if (named == nullptr) GTEST_SKIP() << "no certificate named";
  EmptyRecords::certificate = LoadCertificate(named);
  ASSERT_NE(EmptyRecords::certificate, nullptr);
  SecurityFunctionTableW provider = *InitSecurityInterfaceW();
  provider.InitializeSecurityContextW = EmptyRecords::Initialize;
  provider.QueryContextAttributesW = EmptyRecords::Query;
  provider.DecryptMessage = EmptyRecords::Decrypt;
  provider.DeleteSecurityContext = EmptyRecords::Delete;
  auto transport = mail::MakeTlsTransport(std::make_unique<HandshakeBytes>(), &provider);
  mail::TransportError error;
  ASSERT_EQ(transport->Open("127.0.0.1", 465, error), Io::Done);
  Io io = transport->StartTls("127.0.0.1", error);
  if (io == Io::Pending) io = Until([&] { return transport->WaitSecured(100, error); });
  ASSERT_EQ(io, Io::Done) << error.text;
  for (int i = 0; i < 3; ++i) {
    std::string got;
    const DWORD start = GetTickCount();
    io = transport->Receive(got, 200, error);
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(io, Io::Pending) << error.text;
    EXPECT_TRUE(got.empty());
    EXPECT_LT(took, 1000u);
  }
  EXPECT_GT(EmptyRecords::decrypts, 1000);
  transport->Close();
  CertFreeCertificateContext(EmptyRecords::certificate);
}

// A provider whose first record after the handshake asks for a new one
// (SEC_I_RENEGOTIATE, the record's bytes left over for it), and whose next
// record has data. Wine's provider cannot make a new handshake, so only a
// provider of our own shows the request handed back to it.
struct Renegotiating {
  static inline int initializes = 0;
  static inline std::string handedBack;
  static inline int decrypts = 0;
  static SECURITY_STATUS SEC_ENTRY Initialize(PCredHandle, PCtxtHandle context, SEC_WCHAR*, ULONG,
                                              ULONG, ULONG, PSecBufferDesc input, ULONG,
                                              PCtxtHandle newContext, PSecBufferDesc,
                                              PULONG granted, PTimeStamp) {
    ++initializes;
    *granted = 0;
    if (context == nullptr) {
      newContext->dwLower = newContext->dwUpper = 1;
      return SEC_I_CONTINUE_NEEDED;
    }
    if (initializes > 2 && input->pBuffers[0].cbBuffer > 0)
      handedBack.assign(static_cast<const char*>(input->pBuffers[0].pvBuffer),
                        input->pBuffers[0].cbBuffer);
    return SEC_E_OK;
  }
  static SECURITY_STATUS SEC_ENTRY Decrypt(PCtxtHandle, PSecBufferDesc message, ULONG, PULONG) {
    static char after[] = "after";
    SecBuffer* buffers = message->pBuffers;
    char* bytes = static_cast<char*>(buffers[0].pvBuffer);
    const ULONG size = buffers[0].cbBuffer;
    buffers[0] = {0, SECBUFFER_STREAM_HEADER, bytes};
    buffers[2] = {0, SECBUFFER_STREAM_TRAILER, bytes};
    if (decrypts++ == 0) {
      buffers[1] = {0, SECBUFFER_DATA, bytes};
      buffers[3] = {size, SECBUFFER_EXTRA, bytes};
      return SEC_I_RENEGOTIATE;
    }
    buffers[1] = {5, SECBUFFER_DATA, after};
    buffers[3] = {0, SECBUFFER_EMPTY, nullptr};
    return SEC_E_OK;
  }
};

TEST(TlsTransport, ARenegotiationIsHandedBackToTheProvider) {
  const char* named = std::getenv("VISTREL_TLS_CERT");
  if (named == nullptr) GTEST_SKIP() << "no certificate named";
  EmptyRecords::certificate = LoadCertificate(named);
  ASSERT_NE(EmptyRecords::certificate, nullptr);
  SecurityFunctionTableW provider = *InitSecurityInterfaceW();
  provider.InitializeSecurityContextW = Renegotiating::Initialize;
  provider.QueryContextAttributesW = EmptyRecords::Query;
  provider.DecryptMessage = Renegotiating::Decrypt;
  provider.DeleteSecurityContext = EmptyRecords::Delete;
  auto transport = mail::MakeTlsTransport(std::make_unique<HandshakeBytes>(), &provider);
  mail::TransportError error;
  ASSERT_EQ(transport->Open("127.0.0.1", 465, error), Io::Done);
  Io io = transport->StartTls("127.0.0.1", error);
  if (io == Io::Pending) io = Until([&] { return transport->WaitSecured(100, error); });
  ASSERT_EQ(io, Io::Done) << error.text;
  std::string got;
  io = Until([&] { return transport->Receive(got, 100, error); });
  EXPECT_EQ(io, Io::Done) << error.text;
  EXPECT_EQ(got, "after");
  EXPECT_EQ(Renegotiating::handedBack, "server hello");
  EXPECT_EQ(Renegotiating::initializes, 3);
  transport->Close();
  CertFreeCertificateContext(EmptyRecords::certificate);
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
