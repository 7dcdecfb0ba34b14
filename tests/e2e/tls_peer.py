"""TLS servers that misbehave, for the TLS transport's tests: one connection on
127.0.0.1, the handshake through Python's ssl module over memory buffers (so
that bytes of our own can be put on the wire after it), then a scenario:

- "client-cert": asks for a client certificate that the client may leave out
  (as many mail servers do), then sends a line;
- "revoked", "unchecked-revocation": a line, from a server whose certificate
  names a revocation list (one that revokes it, or one nobody serves);
- (RenegotiatingPeer) "renegotiate": a line, a new handshake asked of the
  client, another line;
- "empty": TLS 1.2 with AES-128-GCM, then empty application-data records
  without end (each a valid record, encrypted with the session's keys from the
  key log), the way a broken or hostile server can hold a reader in its loop.
"""
import hashlib
import hmac
import socket
import ssl
import subprocess
import threading
import time
from pathlib import Path

from cryptography.hazmat.primitives.ciphers.aead import AESGCM


def _prf(secret, label, seed, length):
    """The TLS 1.2 pseudo-random function with SHA-256."""
    seed = label + seed
    out, a = b"", seed
    while len(out) < length:
        a = hmac.new(secret, a, hashlib.sha256).digest()
        out += hmac.new(secret, a + seed, hashlib.sha256).digest()
    return out[:length]


class _Records:
    """Writes TLS 1.2 AES-128-GCM application-data records as the server,
    with the keys derived from the session's master secret."""

    def __init__(self, master, client_random, server_random):
        block = _prf(master, b"key expansion", server_random + client_random, 40)
        self.key = AESGCM(block[16:32])  # after the client's key
        self.salt = block[36:40]  # after the client's implicit nonce
        self.sequence = 1  # 0 was the server's Finished

    def record(self, content):
        explicit = self.sequence.to_bytes(8, "big")
        additional = explicit + b"\x17\x03\x03" + len(content).to_bytes(2, "big")
        sealed = explicit + self.key.encrypt(self.salt + explicit, content, additional)
        self.sequence += 1
        return b"\x17\x03\x03" + len(sealed).to_bytes(2, "big") + sealed


class TlsPeer:
    def __init__(self, certificate, key, scenario, folder, authority=None, seconds=15):
        self.scenario = scenario
        self.seconds = seconds
        self.failure = None
        self.sent_records = 0
        self.keylog = Path(folder) / f"keys-{scenario}.log"
        self.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.context.load_cert_chain(certificate, key)
        if scenario == "client-cert":
            self.context.verify_mode = ssl.CERT_OPTIONAL
            self.context.load_verify_locations(authority)
        if scenario == "empty":
            self.context.maximum_version = ssl.TLSVersion.TLSv1_2
            self.context.set_ciphers("ECDHE-RSA-AES128-GCM-SHA256")
            self.context.keylog_filename = str(self.keylog)
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        try:
            self.listener.settimeout(60)
            connection, _ = self.listener.accept()
            connection.settimeout(self.seconds)
            with connection:
                incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
                tls = self.context.wrap_bio(incoming, outgoing, server_side=True)
                self.server_flight = b""
                while True:
                    try:
                        tls.do_handshake()
                        break
                    except ssl.SSLWantReadError:
                        flight = outgoing.read()
                        self.server_flight = self.server_flight or flight
                        connection.sendall(flight)
                        data = connection.recv(65536)
                        if not data:
                            raise ConnectionError("the client left during the handshake")
                        incoming.write(data)
                connection.sendall(outgoing.read())
                serve = self._empty if self.scenario == "empty" else self._hello
                serve(connection, tls, outgoing)
        except Exception as problem:  # reported by the test
            self.failure = problem

    def _hello(self, connection, tls, outgoing):
        tls.write(b"hello\r\n")
        connection.sendall(outgoing.read())
        connection.recv(1)  # until the client leaves

    def _empty(self, connection, tls, outgoing):
        # The ServerHello leads the first flight: record header, handshake header,
        # version, then the server's random.
        server_random = self.server_flight[11:43]
        client_random, master = None, None
        for line in self.keylog.read_text().splitlines():
            if line.startswith("CLIENT_RANDOM "):
                client_random, master = (bytes.fromhex(word) for word in line.split()[1:3])
        records = _Records(master, client_random, server_random)
        end = time.monotonic() + self.seconds
        connection.settimeout(2)
        # Without a pause: the client finds more records whenever it reads.
        while time.monotonic() < end:
            try:
                connection.sendall(b"".join(records.record(b"") for _ in range(500)))
            except OSError:
                return  # the client left, or stopped reading
            self.sent_records += 500

    def close(self):
        self.listener.close()
        self.thread.join(timeout=self.seconds + 5)


class RenegotiatingPeer:
    """openssl's own test server (Python's ssl module cannot renegotiate): TLS 1.2,
    a line, a new handshake asked of the client, another line. `client_hellos`
    counts the client's handshakes: 2 when it answered the request."""

    def __init__(self, certificate, key, port):
        self.port = port
        self.output = []
        self.server = subprocess.Popen(
            ["openssl", "s_server", "-accept", f"127.0.0.1:{port}", "-tls1_2", "-msg",
             "-cert", str(certificate), "-key", str(key)],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.script = threading.Thread(target=self._talk, daemon=True)
        self.script.start()
        self._wait_for("ACCEPT", 10)

    def _read(self):
        for line in self.server.stdout:
            self.output.append(line)

    def _wait_for(self, text, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if any(text in line for line in list(self.output)):
                return True
            time.sleep(0.05)
        return False

    def _talk(self):
        if not self._wait_for("CIPHER is", 60):
            return
        for line, pause in (("before\n", 0.5), ("r\n", 1.5), ("after\n", 0)):
            self.server.stdin.write(line)
            self.server.stdin.flush()
            time.sleep(pause)

    @property
    def client_hellos(self):
        return sum("ClientHello" in line and "<<<" in line for line in self.output)

    def close(self):
        self.script.join(timeout=10)
        self.server.terminate()
        self.server.wait(timeout=10)
