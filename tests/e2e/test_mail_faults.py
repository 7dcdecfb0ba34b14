"""Mail servers that fail in the middle, under one program start with a reply
limit of two seconds (five for the reply after the data): one that falls
silent after the data, one that hangs up after the first bytes of it. Each
time the mail window's lines and the message say what happened, within the
limit; the window closes; the temporary files go; nothing is reported sent."""
import asyncio
import socket
import threading
import time

import pytest

from harness import DIST, Program, driver, wait_until
from mail_server import MailServer, free_port
from output_helpers import reg_add, wait_main_window, capture
from test_mail import FAILED, NO_CONNECTION, mail_settings, stored, temporary_files

LIMIT = 2  # seconds a reply may take; the reply after the data may take 2.5 times as long
FORM = "Sending Mail..."


class SilentAfterData(MailServer):
    """Takes the whole mail, then says nothing for longer than the program waits."""

    def __init__(self):
        super().__init__()
        self.data_at = None

        async def stall(server, session, envelope):
            self.data_at = time.monotonic()
            await asyncio.sleep(4 * LIMIT * 2.5)
            return "451 4.3.0 Too late"
        self.keeper.handle_DATA = stall


class HangUpInData(threading.Thread):
    """A plain socket server that answers up to DATA, then closes the connection
    after `after` bytes of the mail."""

    def __init__(self, after):
        super().__init__(daemon=True)
        self.after = after
        self.received = 0
        self.port = free_port()
        self.listener = socket.create_server(("127.0.0.1", self.port))
        self.listener.settimeout(0.2)
        self.stopped = threading.Event()
        self.start()

    def run(self):
        while not self.stopped.is_set():
            try:
                connection, _ = self.listener.accept()
            except socket.timeout:
                continue
            with connection:
                self.serve(connection)

    def serve(self, connection):
        connection.settimeout(30)
        reader = connection.makefile("rb")
        connection.sendall(b"220 hangup.test ESMTP\r\n")
        for line in reader:
            verb = line[:4].upper()
            if verb == b"DATA":
                connection.sendall(b"354 Go ahead\r\n")
                while self.received < self.after:
                    chunk = reader.read1(self.after - self.received)
                    if not chunk:
                        break
                    self.received += len(chunk)
                return  # hangs up in the middle of the data
            reply = {b"EHLO": b"250-hangup.test\r\n250 8BITMIME\r\n", b"QUIT": b"221 Bye\r\n"}
            connection.sendall(reply.get(verb, b"250 Ok\r\n"))

    def stop(self):
        self.stopped.set()
        self.join(5)
        self.listener.close()


@pytest.fixture(scope="module")
def vistrel():
    reg_add("Divers", "NewbieTip", "False")
    program = Program()
    try:
        wait_main_window()
        yield program
    finally:
        program.stop()


def failed_send(out, port, to):
    """Captures and mails to the server on `port`; returns the message's lines and
    when it appeared, once the window it closes is gone."""
    (DIST / "MailDbg.txt").unlink(missing_ok=True)
    mail_settings(out, port, to, more_info=1)
    reg_add("Mail", "SMTP_Timeout", LIMIT)
    capture()
    wait_until(lambda: driver("wait", "#32770", FAILED, 100)[0] == 0, 60, interval=0.05,
               what="the failure message")
    shown_at = time.monotonic()
    text = driver("text", "#32770", FAILED, 65535)[1]
    assert driver("msgbox", FAILED, 1, 2000)[0] == 0
    wait_until(lambda: driver("gone", "-", FORM, 100)[0] == 0, 20, what="the mail window to close")
    wait_until(lambda: not temporary_files(), 20, what="the temporary files to go")
    log = (DIST / "MailDbg.txt").read_bytes().decode("ascii")
    (DIST / "MailDbg.txt").unlink()
    assert stored("Addressbook", "1") is None, "a failed mail was counted as sent"
    assert "Mail sent." not in log
    return text.replace("\r", "").split("\n"), shown_at, log


def test_server_falls_silent_after_the_data(vistrel, tmp_path):
    server = SilentAfterData()
    try:
        lines, shown_at, log = failed_send(tmp_path, server.port, "erin@example.test")
        cause = "The server did not answer within 5 seconds (waiting for its reply to the " \
                "mail's data)."
        assert lines == [NO_CONNECTION, cause]
        assert f"Error 10060: {cause}\r\n" in log
        waited = shown_at - server.data_at
        assert LIMIT * 2.5 - 0.5 <= waited <= LIMIT * 2.5 + 4, waited
        assert server.count() == 0
    finally:
        server.stop()


def test_server_hangs_up_in_the_data(vistrel, tmp_path):
    server = HangUpInData(after=1000)
    try:
        started = time.monotonic()
        lines, shown_at, log = failed_send(tmp_path, server.port, "finn@example.test")
        assert lines[0] == NO_CONNECTION and len(lines) == 2, lines
        # Caught while sending or while waiting for the reply, as the network had it.
        assert lines[1].endswith(("(sending the mail's data).",
                                  "(waiting for its reply to the mail's data).")), lines
        assert f": {lines[1]}\r\n" in log
        assert server.received >= 1000
        # Not the reply limit's wait: a hang-up is seen when it happens.
        assert shown_at - started < 30
    finally:
        server.stop()
