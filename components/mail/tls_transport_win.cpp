#include "tls_transport_win.h"

#define SECURITY_WIN32
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS  // the revocation servers' time limit
#include <windows.h>
// After windows.h, which they build on.
#include <wincrypt.h>
// The TLS provider's declarations, after the certificate ones.
#include <schannel.h>
#include <security.h>
#include <sspi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#include "chain_trust.h"

namespace mail {

namespace {

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(wcslen(wide.c_str()));
  return wide;
}

std::string Hex(long status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
  return text;
}

std::string HandshakeProblem(SECURITY_STATUS status) {
  switch (status) {
    case SEC_E_ALGORITHM_MISMATCH:
      return "The server and this computer have no TLS version or cipher in common.";
    case SEC_E_ILLEGAL_MESSAGE:
      return "The server's TLS messages could not be understood (it may not speak TLS on this "
             "port).";
    case SEC_E_UNTRUSTED_ROOT:
      return "The server's certificate is not from a trusted certificate authority.";
    case SEC_E_CERT_EXPIRED:
      return "The server's certificate has expired.";
    case SEC_E_WRONG_PRINCIPAL:
      return "The server's certificate is for another name.";
    default:
      return "The encrypted connection to the server could not be set up (error " + Hex(status) +
             ").";
  }
}

static_assert(chain::kNotTimeValid == CERT_TRUST_IS_NOT_TIME_VALID);
static_assert(chain::kRevoked == CERT_TRUST_IS_REVOKED);
static_assert(chain::kNotSignatureValid == CERT_TRUST_IS_NOT_SIGNATURE_VALID);
static_assert(chain::kNotValidForUsage == CERT_TRUST_IS_NOT_VALID_FOR_USAGE);
static_assert(chain::kUntrustedRoot == CERT_TRUST_IS_UNTRUSTED_ROOT);
static_assert(chain::kRevocationStatusUnknown == CERT_TRUST_REVOCATION_STATUS_UNKNOWN);
static_assert(chain::kCyclic == CERT_TRUST_IS_CYCLIC);
static_assert(chain::kPartialChain == CERT_TRUST_IS_PARTIAL_CHAIN);
static_assert(chain::kOfflineRevocation == CERT_TRUST_IS_OFFLINE_REVOCATION);
static_assert(chain::kNoIssuanceChainPolicy == CERT_TRUST_NO_ISSUANCE_CHAIN_POLICY);
static_assert(chain::kExplicitDistrust == CERT_TRUST_IS_EXPLICIT_DISTRUST);

std::string CertificateProblem(DWORD status, const std::string& host) {
  switch (status) {
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
      return certificate_text::kUntrustedRoot;
    case static_cast<DWORD>(CERT_E_CHAINING):
      return "The server's certificate cannot be traced to a trusted certificate authority.";
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
      return "The server's certificate is for another name than \"" + host + "\".";
    case static_cast<DWORD>(CERT_E_EXPIRED):
      return certificate_text::kExpired;
    case static_cast<DWORD>(CERT_E_REVOKED):
      return certificate_text::kRevoked;
    case static_cast<DWORD>(CERT_E_WRONG_USAGE):
      return certificate_text::kWrongUsage;
    case static_cast<DWORD>(TRUST_E_CERT_SIGNATURE):
      return certificate_text::kBadSignature;
    default:
      return "The server's certificate was refused (error " + Hex(static_cast<long>(status)) + ").";
  }
}

// SECURITY_FLAG_IGNORE_REVOCATION of the SSL policy (declared with the
// internet functions, which this file does not otherwise need).
constexpr DWORD kIgnoreRevocation = 0x00000080;

// The longest the chain check waits for revocation servers, in all.
constexpr DWORD kRevocationWaitMs = 15000;

// The chain of the server's certificate, built on a thread of its own:
// fetching revocation lists may take seconds, and the window's events run
// meanwhile. A transport closed before it is done leaves it to finish; the
// last of the two to let go frees it.
struct ChainBuild {
  explicit ChainBuild(PCCERT_CONTEXT server) : certificate(server) {}
  ~ChainBuild() {
    if (chain) CertFreeCertificateChain(chain);
    if (certificate) CertFreeCertificateContext(certificate);
    if (done) CloseHandle(done);
  }
  ChainBuild(const ChainBuild&) = delete;
  ChainBuild& operator=(const ChainBuild&) = delete;

  void Run() {
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    char serverUse[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR uses[] = {serverUse};
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = uses;
    chainPara.dwUrlRetrievalTimeout = kRevocationWaitMs;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara,
                                 CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT |
                                     CERT_CHAIN_REVOCATION_ACCUMULATIVE_TIMEOUT,
                                 nullptr, &chain))
      chain = nullptr;
    SetEvent(done);
  }

  PCCERT_CONTEXT certificate;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  PCCERT_CHAIN_CONTEXT chain = nullptr;
};

class TlsTransport final : public Transport {
 public:
  TlsTransport(std::unique_ptr<Transport> inner, const SecurityFunctionTableW* provider)
      : inner_(std::move(inner)), provider_(provider) {}
  ~TlsTransport() override { DropTls(); }

  Io Open(const std::string& host, uint16_t port, TransportError& error) override {
    DropTls();
    return inner_->Open(host, port, error);
  }
  Io WaitConnected(int waitMs, TransportError& error) override {
    return inner_->WaitConnected(waitMs, error);
  }
  std::string LocalName() override { return inner_->LocalName(); }
  void Close() override {
    DropTls();
    inner_->Close();
  }
  std::string SecurityNote() override { return note_; }

  Io StartTls(const std::string& host, TransportError& error) override {
    DropTls();
    host_ = host;
    SCHANNEL_CRED wanted{};
    wanted.dwVersion = SCHANNEL_CRED_VERSION;
    // The certificate is checked here, so that each problem can be named.
    wanted.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TimeStamp expiry{};
    const SECURITY_STATUS status = provider_->AcquireCredentialsHandleW(
        nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, &wanted,
        nullptr, nullptr, &credentials_, &expiry);
    if (status != SEC_E_OK)
      return Fail(error, kTlsFailed,
                  "The system's TLS provider could not be started (error " + Hex(status) + ").");
    haveCredentials_ = true;
    state_ = State::Handshake;
    return Advance(error);
  }

  Io WaitSecured(int waitMs, TransportError& error) override {
    return Handshake(Clock::now() + std::chrono::milliseconds(waitMs), error);
  }

  Io Send(std::string_view bytes, size_t& sent, int waitMs, TransportError& error) override {
    sent = 0;
    if (state_ == State::Plain) return inner_->Send(bytes, sent, waitMs, error);
    if (state_ != State::Ready) return Fail(error, kTlsFailed, "The connection is not secured.");
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    Io io = Flush(deadline, error);
    if (io != Io::Done) return io;
    const size_t length = std::min<size_t>(bytes.size(), sizes_.cbMaximumMessage);
    std::string record(sizes_.cbHeader + length + sizes_.cbTrailer, '\0');
    std::memcpy(&record[sizes_.cbHeader], bytes.data(), length);
    SecBuffer buffers[4] = {
        {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, &record[0]},
        {static_cast<ULONG>(length), SECBUFFER_DATA, &record[sizes_.cbHeader]},
        {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, &record[sizes_.cbHeader + length]},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS status = provider_->EncryptMessage(&context_, 0, &description, 0);
    if (status != SEC_E_OK) {
      // The record still holds the plain bytes (a login line, perhaps).
      SecureZeroMemory(record.data(), record.size());
      return Fail(error, kTlsFailed,
                  "The data could not be encrypted (error " + Hex(status) + ").");
    }
    record.resize(buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
    outgoing_ += record;
    sent = length;
    io = Flush(deadline, error);
    return io == Io::Pending ? Io::Done : io;  // the rest goes with the next call
  }

  Io Receive(std::string& into, int waitMs, TransportError& error) override {
    if (state_ == State::Plain) return inner_->Receive(into, waitMs, error);
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    if (renegotiating_) {
      // A new handshake the server asked for, not finished in an earlier call.
      const Io io = Handshake(deadline, error);
      if (io != Io::Done) return io;
    }
    if (state_ != State::Ready) return Fail(error, kTlsFailed, "The connection is not secured.");
    const Io flushed = Flush(deadline, error);
    if (flushed != Io::Done) return flushed;
    for (;;) {
      if (!incoming_.empty()) {
        SecBuffer buffers[4] = {
            {static_cast<ULONG>(incoming_.size()), SECBUFFER_DATA, &incoming_[0]},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
        const SECURITY_STATUS status =
            provider_->DecryptMessage(&context_, &description, 0, nullptr);
        if (status == SEC_E_OK || status == SEC_I_CONTEXT_EXPIRED || status == SEC_I_RENEGOTIATE) {
          bool gotData = false;
          std::string extra;
          for (const SecBuffer& buffer : buffers) {
            if (buffer.BufferType == SECBUFFER_DATA && buffer.cbBuffer > 0) {
              into.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
              gotData = true;
            } else if (buffer.BufferType == SECBUFFER_EXTRA && buffer.cbBuffer > 0) {
              extra.assign(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
            }
          }
          incoming_ = std::move(extra);
          if (status == SEC_I_RENEGOTIATE) {
            // The server sent handshake messages (a new handshake, or TLS 1.3's
            // messages after it): they go to the provider with the bytes after
            // them, and the data flows again once it is done.
            renegotiating_ = true;
            state_ = State::Handshake;
            // The provider is asked at once, with what came after the record
            // or with nothing: it may have taken the request in already and
            // have its answer to send.
            needInput_ = false;
            if (gotData) return Io::Done;
            const Io io = Handshake(deadline, error);
            if (io != Io::Done) return io;
            continue;
          }
          if (gotData) return Io::Done;
          if (status == SEC_I_CONTEXT_EXPIRED) return Io::Closed;  // the server's close_notify
          // A record without data: a server that sends nothing else must not
          // hold the caller past its wait.
          if (RemainingMs(deadline) == 0) return Io::Pending;
          continue;
        }
        if (status != SEC_E_INCOMPLETE_MESSAGE)
          return Fail(
              error, kTlsFailed,
              "The data from the server could not be decrypted (error " + Hex(status) + ").");
      }
      std::string got;
      const Io io = inner_->Receive(got, RemainingMs(deadline), error);
      if (io != Io::Done) return io;
      incoming_ += got;
    }
  }

 private:
  enum class State { Plain, Handshake, Verify, Ready, Failed };

  Io Fail(TransportError& error, int code, const std::string& text) {
    state_ = State::Failed;
    failure_ = text;
    error = {code, text};
    return Io::Failed;
  }

  // A connection lost during the handshake is a failure of the handshake.
  Io Lost(Io io, TransportError& error) {
    if (io == Io::Closed)
      return Fail(error, kTlsFailed,
                  "The server closed the connection while it was being encrypted.");
    if (io == Io::Failed) state_ = State::Failed;
    return io;
  }

  // Drives the handshake (the first, or one the server asked for later) until
  // it is done, it fails or the deadline passes (Pending: call again).
  Io Handshake(Clock::time_point deadline, TransportError& error) {
    for (bool first = true;; first = false) {
      if (state_ == State::Failed) return Fail(error, kTlsFailed, failure_);
      if (state_ == State::Plain) return Fail(error, kNoTls, "TLS was not started.");
      if (!first && RemainingMs(deadline) == 0) return Io::Pending;
      const Io flushed = Flush(deadline, error);
      if (flushed != Io::Done) return Lost(flushed, error);
      if (state_ == State::Verify) {
        const Io verified = Verify(deadline, error);
        if (verified == Io::Done) renegotiating_ = false;
        return verified;
      }
      if (state_ == State::Ready) return Io::Done;
      if (needInput_) {
        std::string got;
        const Io io = inner_->Receive(got, RemainingMs(deadline), error);
        if (io != Io::Done) return Lost(io, error);
        incoming_ += got;
        needInput_ = false;
      }
      const Io io = Advance(error);
      if (io == Io::Failed) return io;
    }
  }

  // Sends what is waiting to go; Pending when the time ran out first.
  Io Flush(Clock::time_point deadline, TransportError& error) {
    while (!outgoing_.empty()) {
      size_t sent = 0;
      const Io io = inner_->Send(outgoing_, sent, RemainingMs(deadline), error);
      if (io == Io::Done) {
        outgoing_.erase(0, sent);
        continue;
      }
      return io;
    }
    return Io::Done;
  }

  // One step of the handshake with the bytes that have arrived.
  Io Advance(TransportError& error) {
    SecBuffer inBuffers[2] = {{static_cast<ULONG>(incoming_.size()), SECBUFFER_TOKEN,
                               incoming_.empty() ? nullptr : &incoming_[0]},
                              {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDescription{SECBUFFER_VERSION, 2, inBuffers};
    SecBuffer outBuffers[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDescription{SECBUFFER_VERSION, 1, outBuffers};
    ULONG wanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                   ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;
    if (withoutCertificate_) wanted |= ISC_REQ_USE_SUPPLIED_CREDS;
    ULONG granted = 0;
    std::wstring target = Wide(host_);
    const SECURITY_STATUS status = provider_->InitializeSecurityContextW(
        &credentials_, haveContext_ ? &context_ : nullptr, target.data(), wanted, 0, 0,
        haveContext_ ? &inDescription : nullptr, 0, &context_, &outDescription, &granted, nullptr);
    if (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK ||
        status == SEC_E_INCOMPLETE_MESSAGE || status == SEC_I_INCOMPLETE_CREDENTIALS)
      haveContext_ = true;
    if (outBuffers[0].pvBuffer) {
      outgoing_.append(static_cast<const char*>(outBuffers[0].pvBuffer), outBuffers[0].cbBuffer);
      provider_->FreeContextBuffer(outBuffers[0].pvBuffer);
    }
    if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
      // The server asked for a client certificate. It is optional for most
      // servers: the same step again, told to go on with the credentials it
      // has (none), answers without one; a server that insists refuses then.
      if (withoutCertificate_)
        return Fail(error, kTlsFailed,
                    "The server asks for a client certificate, and this program has none to "
                    "give.");
      withoutCertificate_ = true;
      needInput_ = false;  // the same bytes are read again
      return Io::Pending;
    }
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      needInput_ = true;
      return Io::Pending;
    }
    if (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK) {
      if (inBuffers[1].BufferType == SECBUFFER_EXTRA && inBuffers[1].cbBuffer > 0)
        incoming_ = incoming_.substr(incoming_.size() - inBuffers[1].cbBuffer);
      else
        incoming_.clear();
      if (status == SEC_E_OK) {
        state_ = State::Verify;
      } else {
        needInput_ = incoming_.empty();
      }
      return Io::Pending;
    }
    if (renegotiating_)
      return Fail(error, kTlsFailed,
                  "The server asked for a new TLS handshake in the middle of the connection, and "
                  "the system's TLS provider could not make it (error " +
                      Hex(status) + ").");
    return Fail(error, kTlsFailed, HandshakeProblem(status));
  }

  // The server's certificate against the trusted roots, the revocation lists
  // and the host name; Pending while its chain is still being built.
  Io Verify(Clock::time_point deadline, TransportError& error) {
    if (!chainBuild_) {
      PCCERT_CONTEXT certificate = nullptr;
      if (provider_->QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                             &certificate) != SEC_E_OK ||
          certificate == nullptr)
        return Fail(error, kBadCertificate, "The server sent no certificate.");
      auto build = std::make_shared<ChainBuild>(certificate);
      if (!build->done)
        return Fail(error, kBadCertificate, "The server's certificate could not be checked.");
      try {
        std::thread([build] { build->Run(); }).detach();
      } catch (const std::system_error&) {
        return Fail(error, kBadCertificate, "The server's certificate could not be checked.");
      }
      chainBuild_ = std::move(build);
    }
    if (WaitForSingleObject(chainBuild_->done, static_cast<DWORD>(RemainingMs(deadline))) !=
        WAIT_OBJECT_0)
      return Io::Pending;
    const std::shared_ptr<ChainBuild> build = std::move(chainBuild_);
    const PCCERT_CHAIN_CONTEXT chain = build->chain;
    if (chain == nullptr)
      return Fail(error, kBadCertificate, "The server's certificate could not be checked.");
    const ChainVerdict verdict = JudgeChain(chain->TrustStatus.dwErrorStatus);
    if (!verdict.problem.empty()) return Fail(error, kBadCertificate, verdict.problem);
    note_ = verdict.note;
    std::wstring name = Wide(host_);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    // Revocation was judged above: a revoked certificate is refused there,
    // one whose revocation could not be checked goes on.
    ssl.fdwChecks = kIgnoreRevocation;
    ssl.pwszServerName = name.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS outcome{};
    outcome.cbSize = sizeof outcome;
    const BOOL checked =
        CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &outcome);
    if (!checked)
      return Fail(error, kBadCertificate, "The server's certificate could not be checked.");
    if (outcome.dwError != 0)
      return Fail(error, kBadCertificate, CertificateProblem(outcome.dwError, host_));
    if (provider_->QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) !=
        SEC_E_OK)
      return Fail(error, kTlsFailed, "The encrypted connection could not be used.");
    state_ = State::Ready;
    return Io::Done;
  }

  void DropTls() {
    if (haveContext_) provider_->DeleteSecurityContext(&context_);
    if (haveCredentials_) provider_->FreeCredentialsHandle(&credentials_);
    haveContext_ = haveCredentials_ = needInput_ = false;
    renegotiating_ = withoutCertificate_ = false;
    chainBuild_.reset();  // a build still running finishes on its own
    state_ = State::Plain;
    incoming_.clear();
    outgoing_.clear();
    failure_.clear();
    note_.clear();
  }

  std::unique_ptr<Transport> inner_;
  const SecurityFunctionTableW* provider_;  // the TLS provider's functions
  State state_ = State::Plain;
  std::string host_;
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool haveCredentials_ = false;
  bool haveContext_ = false;
  bool needInput_ = false;
  bool renegotiating_ = false;       // a handshake the server asked for after the first
  bool withoutCertificate_ = false;  // the server asked for a client certificate; none is sent
  std::shared_ptr<ChainBuild> chainBuild_;  // the certificate's check under way
  SecPkgContext_StreamSizes sizes_{};
  std::string incoming_;  // received, not yet decrypted
  std::string outgoing_;  // encrypted, not yet sent
  std::string failure_;
  std::string note_;  // for the debug lines, once secured
};

}  // namespace

std::unique_ptr<Transport> MakeTlsTransport(std::unique_ptr<Transport> inner,
                                            const SecurityFunctionTableW* provider) {
  return std::make_unique<TlsTransport>(std::move(inner),
                                        provider ? provider : InitSecurityInterfaceW());
}

}  // namespace mail
