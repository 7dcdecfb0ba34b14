"""Faults from outside the program, under one program start.

Mail servers that fail in the middle, with a reply limit of two seconds (five
for the reply after the data): one that falls silent after the data, one that
hangs up after the first bytes of it. Each time the mail window's lines and
the message say what happened, within the limit; the window closes; the
temporary files go; nothing is reported sent.

Settings that cannot be written: the program's settings key is made read-only
through the registry's own access list (Wine checks it on every write). The
capture and its save still work, the user is told once that the settings
cannot be kept, with the system's cause, and never again per value.

A printer that stops in the middle of a job: the CUPS queue is stopped, then
deleted, while the program is still drawing its copies into the job. Each time
the printer's error is shown, no job is left half-made in the queue or in the
system's spooler, and the next print to a working queue comes out whole. These
run last: they leave the wizard open on its print page."""
import asyncio
import os
import socket
import threading
import time
from pathlib import Path

import pytest

from harness import DIST, DRIVER, Program, driver, wait_until, wine_run
from mail_server import MailServer, free_port
from output_helpers import (WIZARD, capture, page_driver, reg_add, straight_through,
                            wait_complete)
from pdf_printer import QUEUE, PdfPrinter
from test_error_paths import message_box, next_message
from test_mail import FAILED, NO_CONNECTION, mail_settings, stored, temporary_files
from test_print import (message, only_print_page, open_print_page, pages, press_print,
                        set_copies, wait_started)

LIMIT = 2  # seconds a reply may take; the reply after the data may take 2.5 times as long
FORM = "Sending Mail..."

KEY = r"Software\VB and VBA Program Settings\Tarnwick Vistrel"
LOCK = DRIVER.parent / "reg_lock.exe"
REFUSED = ("The settings cannot be kept: they could not be written to the registry.\n"
           "Access denied. (HKEY_CURRENT_USER\\" + KEY + "\\")
GOES_ON = ("Captures and outputs go on with this session's settings; changes are lost when the "
           "program ends.")


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
def printer(tmp_path_factory):
    """The printer is there before the program starts: Wine finds its printers then."""
    queue = PdfPrinter(tmp_path_factory.mktemp("print-faults") / "pdf").start()
    try:
        yield queue
    finally:
        queue.stop()


@pytest.fixture(scope="module")
def vistrel(printer):
    reg_add("Divers", "NewbieTip", "False")
    program = Program()
    try:
        wait_started()
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


def lock(verb):
    run = wine_run([LOCK, verb, KEY])
    assert run.returncode == 0, f"reg_lock {verb}: {run.returncode}"


def test_settings_that_cannot_be_kept(vistrel, tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    straight_through(out, fmt=0)
    lock("lock")
    try:
        assert wine_run([LOCK, "probe", KEY + r"\Divers"]).returncode == 5, "the lock holds"
        for turn in range(2):
            capture()
            saved = wait_complete(out / "Vistrel.bmp")
            assert saved.read_bytes()[:2] == b"BM"
            if turn == 0:
                text = next_message().replace("\r", "")
                assert text.startswith(REFUSED), text
                assert text.endswith(GOES_ON), text
            saved.unlink()
        # The second capture saved its settings again: nothing more is said.
        deadline = time.monotonic() + 2
        while time.monotonic() < deadline:
            assert message_box() is None, "the refusal was said again"
            time.sleep(0.3)
        assert vistrel.running()
    finally:
        lock("unlock")


PRINTER_ERROR = "Error occured: Possibly incompatible printer driver."
# Enough copies that the job takes a few seconds to draw: the stop lands inside it.
MANY = "60"


def spooled():
    """Jobs being written in the system's spooler (Wine keeps them there until the end)."""
    prefix = Path(os.environ.get("WINEPREFIX", Path.home() / ".wine"))
    folder = prefix / "drive_c" / "windows" / "system32" / "spool" / "printers"
    return [p for p in folder.glob("*.SPL")] if folder.is_dir() else []


def print_page(folder):
    """The wizard on its print page: opened by a capture unless a test before left it there."""
    if page_driver("shown", WIZARD, "Print")[0] != 0:
        only_print_page(folder)
        open_print_page()


def stopped_in_the_job(printer, stop):
    """Prints many copies and stops the queue once the job is being written."""
    set_copies(MANY)
    press_print()
    wait_until(lambda: any(p.stat().st_size for p in spooled()), 30, interval=0.02,
               what="the job to be spooled")
    stop()
    assert message("Err: 482") == PRINTER_ERROR
    assert printer.jobs("not-completed") == [], "a half job stayed in the queue"
    wait_until(lambda: not spooled(), 10, what="the spooler to drop the job")
    assert printer.pdfs() == []


def prints_again(printer, count):
    set_copies("1")
    press_print()
    pdfs = printer.wait_pdf(count)
    assert pages(pdfs[-1]) == 1


def test_queue_stopped_in_the_middle(vistrel, printer, tmp_path):
    print_page(tmp_path)
    stopped_in_the_job(printer, printer.stop_queue)
    printer.lp("cupsenable", QUEUE)
    printer.lp("cupsaccept", QUEUE)
    prints_again(printer, 1)


def test_queue_deleted_in_the_middle(vistrel, printer, tmp_path):
    print_page(tmp_path)
    before = printer.pdfs()
    printer.out.joinpath("kept").mkdir(exist_ok=True)
    for pdf in before:  # the earlier print moves aside, so that this one starts from none
        pdf.rename(printer.out / "kept" / pdf.name)
    stopped_in_the_job(printer, printer.delete_queue)
    printer.add_queue()
    prints_again(printer, 1)
