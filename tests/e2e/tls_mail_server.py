"""Encrypted mail servers for the tests: a test certificate authority and
server certificates made with openssl at run time, the authority added to the
machine's trusted roots (which Wine reads) for the test's length, and aiosmtpd
with STARTTLS and a login required, or with TLS from the first byte. Every
command a server receives is logged, so a test can show that no AUTH came."""
import datetime
import shutil
import ssl
import subprocess
from pathlib import Path

from aiosmtpd.controller import Controller
from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from aiosmtpd.smtp import SMTP, AuthResult

from mail_server import Keeper, MailServer, free_port

USER = "shot-user"
PASSWORD = "s3cret-Pa55"
TRUSTED = Path("/usr/local/share/ca-certificates/vistrel-test-authority.crt")


def _openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


class Authority:
    """A certificate authority in `folder` that signs server certificates."""

    def __init__(self, folder, name):
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.name = name
        _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                 "-keyout", f"{name}.key", "-out", f"{name}.crt", "-subj", f"/CN={name}",
                 "-addext", "basicConstraints=critical,CA:TRUE",
                 "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=self.folder)
        self.certificate = self.folder / f"{name}.crt"

    def server(self, stem, address, crl_url=None):
        """A server certificate and key for `address` (an IP address or a DNS name),
        naming `crl_url` as where its revocation list is."""
        # An address is named twice: Wine's name check reads only the DNS names.
        alt = f"DNS:{address}"
        if address.replace(".", "").isdigit():
            alt = f"IP:{address},{alt}"
        extensions = self.folder / f"{stem}.ext"
        extensions.write_text(f"subjectAltName={alt}\nextendedKeyUsage=serverAuth\n"
                              "basicConstraints=CA:FALSE\n"
                              + (f"crlDistributionPoints=URI:{crl_url}\n" if crl_url else ""))
        _openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{stem}.key",
                 "-out", f"{stem}.csr", "-subj", f"/CN={address}", cwd=self.folder)
        _openssl("x509", "-req", "-in", f"{stem}.csr", "-CA", f"{self.name}.crt",
                 "-CAkey", f"{self.name}.key", "-CAcreateserial", "-days", "2",
                 "-extfile", extensions.name, "-out", f"{stem}.crt", cwd=self.folder)
        return self.folder / f"{stem}.crt", self.folder / f"{stem}.key"

    def revocation_list(self, revoked, path):
        """Writes the authority's revocation list (DER) naming the certificates `revoked`."""
        key = serialization.load_pem_private_key(
            (self.folder / f"{self.name}.key").read_bytes(), None)
        issuer = x509.load_pem_x509_certificate(self.certificate.read_bytes())
        now = datetime.datetime.now(datetime.timezone.utc)
        builder = (x509.CertificateRevocationListBuilder().issuer_name(issuer.subject)
                   .last_update(now - datetime.timedelta(hours=1))
                   .next_update(now + datetime.timedelta(days=1)))
        for certificate in revoked:
            serial = x509.load_pem_x509_certificate(Path(certificate).read_bytes()).serial_number
            builder = builder.add_revoked_certificate(
                x509.RevokedCertificateBuilder().serial_number(serial)
                .revocation_date(now - datetime.timedelta(hours=1)).build())
        path.write_bytes(builder.sign(key, hashes.SHA256()).public_bytes(
            serialization.Encoding.DER))

    def trust(self):
        shutil.copy(self.certificate, TRUSTED)
        subprocess.run(["update-ca-certificates"], check=True, capture_output=True)

    @staticmethod
    def distrust():
        TRUSTED.unlink(missing_ok=True)
        subprocess.run(["update-ca-certificates", "--fresh"], check=True, capture_output=True)


class LoggingSMTP(SMTP):
    """aiosmtpd's server, keeping each command line it is sent (AUTH without its data)."""

    def __init__(self, *args, log, **kwargs):
        super().__init__(*args, **kwargs)
        self._log = log

    async def smtp_AUTH(self, arg):
        self._log.append("AUTH " + (arg or "").split(" ")[0])
        return await super().smtp_AUTH(arg)

    async def smtp_STARTTLS(self, arg):
        self._log.append("STARTTLS")
        return await super().smtp_STARTTLS(arg)

    async def smtp_EHLO(self, hostname):
        self._log.append("EHLO")
        return await super().smtp_EHLO(hostname)


def _login_check(password):
    def check(server, session, envelope, mechanism, auth_data):
        ok = auth_data.login == USER.encode() and auth_data.password == password.encode()
        return AuthResult(success=ok, handled=False)  # aiosmtpd answers 535 itself
    return check


class _Controller(Controller):
    def __init__(self, *args, log, **kwargs):
        self._log = log
        super().__init__(*args, **kwargs)

    def factory(self):
        return LoggingSMTP(self.handler, log=self._log, **self.SMTP_kwargs)


class TlsMailServer(MailServer):
    """mode "starttls": plain greeting, STARTTLS and a login required; mode "tls":
    TLS from the first byte, a login required."""

    def __init__(self, mode, certificate, key, password=PASSWORD):
        self.keeper = Keeper()
        self.port = free_port()
        self.log = []
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(certificate, key)
        common = dict(authenticator=_login_check(password), auth_required=True, auth_require_tls=True,
                      log=self.log)
        if mode == "starttls":
            self.controller = _Controller(self.keeper, hostname="127.0.0.1", port=self.port,
                                          tls_context=context, require_starttls=True, **common)
        else:
            # The whole connection is encrypted; aiosmtpd only knows STARTTLS as encryption.
            common["auth_require_tls"] = False
            self.controller = _Controller(self.keeper, hostname="127.0.0.1", port=self.port,
                                          ssl_context=context, server_hostname="127.0.0.1",
                                          **common)
        self.controller.start()

    def saw(self, verb):
        return any(line.startswith(verb) for line in self.log)

