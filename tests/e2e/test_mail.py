"""Mailing a capture from the wizard to a real SMTP server (Python's aiosmtpd
on 127.0.0.1): the three attachment kinds read back by Python's email parser,
ImageMagick, zipfile and unzip; the address book; no temporary file left; a
stopped server and a refused recipient reported. One program start for all."""
import re
import subprocess
import time
import zipfile

import pytest

from harness import DIST, driver, screenshot, wait_until
from mail_server import MailServer, free_port
from output_helpers import (SETTINGS, PatternOnScreen, capture, make_pattern, metric, reg_add,
                            region, straight_through, wait_main_window)
from output_helpers import temporary_files as on_their_way

PATTERN_AT = (200, 150)
PATTERN_SIZE = (400, 300)
PATTERN_INSIDE = (PATTERN_AT[0] + 2, PATTERN_AT[1] + 2)
TITLE = "Tarnwick Vistrel"
FAILED = "Tarnwick Vistrel (Error while sending mail)"
NO_CONNECTION = "No connection could be established. Are you connected to the internet?"
TEMP_NAME = re.compile(r"^\d+_\d+_\d+_\d+_\d+_\d+\.\w+$")


def stored(section, key):
    out = subprocess.run(["wine", "reg", "query", f"{SETTINGS}\\{section}", "/v", key],
                         capture_output=True, text=True, stdin=subprocess.DEVNULL).stdout
    match = re.search(rf"^\s*{re.escape(key)}\s+REG_SZ\s*(.*?)\s*$", out, re.M)
    return match.group(1) if match else None


def temporary_files():
    """The pictures and archives on their way into a mail."""
    return [p for p in on_their_way() if TEMP_NAME.match(p.name)]


def mail_settings(out, port, to, zip_=0, exe=0, more_info=0):
    """Every page hidden and only the mail automatic: a capture runs straight to the server.
    The recipient is the one stored as "Last", which fills the recipient box."""
    straight_through(out, fmt=1)
    reg_add("Automate", 1, 0)
    reg_add("Automate", 8, 1)
    reg_add("Mail", "SMTP_Server", f"127.0.0.1:{port}")
    reg_add("Mail", "Reply_Address", "me@sender.test")
    reg_add("Addressbook", "Last", to)
    for key, value in {"Subject": "Screen shot", "MessageBody": "Here is the screen shot.",
                       "MailAsZip": zip_, "MailAsExe": exe,
                       "Extended Server Info": more_info}.items():
        reg_add("Divers", key, value)


@pytest.fixture
def server():
    """The mail server, and settings that start empty (the address book is checked)."""
    clear = ["wine", "reg", "delete", SETTINGS, "/f"]
    subprocess.run(clear, capture_output=True, stdin=subprocess.DEVNULL)
    s = MailServer()
    yield s
    s.stop()
    subprocess.run(clear, capture_output=True, stdin=subprocess.DEVNULL)


def check_headers(message, to):
    assert message["To"] == to
    assert message["From"] == "me@sender.test"
    assert message["Reply-To"] == "me@sender.test"
    assert message["Subject"] == "Screen shot"
    assert message["X-Mailer"] == "Tarnwick Vistrel 99.0"
    assert re.fullmatch(r"<[^<>@\s]+@sender\.test>", message["Message-ID"]), message["Message-ID"]
    assert message["Date"].datetime is not None
    assert message.get_body(("plain",)).get_content().strip() == "Here is the screen shot."
    attachments = list(message.iter_attachments())
    assert len(attachments) == 1
    assert not message.defects and not attachments[0].defects
    return attachments[0]


def test_mail_reaches_a_real_server(tmp_path, program, server):
    pattern = tmp_path / "pattern.png"
    make_pattern(pattern, *PATTERN_SIZE)
    shown = PatternOnScreen(pattern, *PATTERN_AT)
    out = tmp_path / "out"
    out.mkdir()
    (DIST / "MailDbg.txt").unlink(missing_ok=True)
    try:
        reg_add("Addressbook", 1, "Anna@Example.test")
        reg_add("Addressbook", 2, "bob@example.test")
        mail_settings(out, server.port, "anna@example.TEST", more_info=1)
        program()
        wait_main_window()

        # 1. The picture itself, to a known address typed in other letter case;
        # the server takes its time, so the progress window can be seen.
        server.keeper.delay = 15
        capture()
        wait_until(lambda: driver("wait", "-", "Sending Mail...", 100)[0] == 0, 60,
                   what="the progress window")
        wait_until(_waiting_for_server, 30, interval=0.3,
                   what="the server's lines in the progress window")
        screenshot("mail-during-send")
        server.keeper.delay = 0
        wait_until(lambda: server.count() == 1, 60, what="the first mail")
        sender, recipients, message = server.message(0)
        assert (sender, recipients) == ("me@sender.test", ["anna@example.TEST"])
        part = check_headers(message, "anna@example.TEST")
        assert part.get_content_type() == "image/jpeg"
        assert part.get_content_disposition() == "inline"
        assert TEMP_NAME.match(part.get_filename()), part.get_filename()
        jpg = tmp_path / "mailed.jpg"
        jpg.write_bytes(part.get_payload(decode=True))
        inside = region(jpg, *PATTERN_SIZE, *PATTERN_INSIDE, tmp_path / "inside.png")
        assert metric(inside, pattern, "PSNR") >= 38
        wait_until(lambda: driver("gone", "-", "Sending Mail...", 100)[0] == 0, 30,
                   what="the progress window to close")
        assert stored("Addressbook", "Last") == "anna@example.TEST"
        assert stored("Addressbook", "3") is None
        log = (DIST / "MailDbg.txt").read_bytes().decode("ascii")
        assert "Connecting to 127.0.0.1:%d\r\n" % server.port in log
        assert "\r\n250 " in log and "\r\nDisconnected\r\n" in log
        (DIST / "MailDbg.txt").unlink()

        # 2. As a zip archive, to a new address: it joins the book as number 3.
        mail_settings(out, server.port, "carl@example.test", zip_=1)
        capture()
        wait_until(lambda: server.count() == 2, 60, what="the zip mail")
        _, recipients, message = server.message(1)
        assert recipients == ["carl@example.test"]
        part = check_headers(message, "carl@example.test")
        assert part.get_content_type() == "application/x-zip-compressed"
        assert part.get_content_disposition() == "attachment"
        archive = tmp_path / "mailed.zip"
        archive.write_bytes(part.get_payload(decode=True))
        with zipfile.ZipFile(archive) as packed:
            assert packed.testzip() is None
            assert [n.lower()[-4:] for n in packed.namelist()] == [".jpg"]
        assert subprocess.run(["unzip", "-t", str(archive)], capture_output=True).returncode == 0
        wait_until(lambda: stored("Addressbook", "3") == "carl@example.test", 30,
                   what="the new address stored")
        assert stored("Addressbook", "Last") == "carl@example.test"

        # 3. As a self-extracting program.
        mail_settings(out, server.port, "carl@example.test", zip_=1, exe=1)
        capture()
        wait_until(lambda: server.count() == 3, 60, what="the exe mail")
        part = check_headers(server.message(2)[2], "carl@example.test")
        assert part.get_content_type() == "application/octet-stream"
        assert part.get_filename().lower().endswith(".exe")
        exe = tmp_path / "mailed.exe"
        exe.write_bytes(part.get_payload(decode=True))
        assert exe.read_bytes()[:2] == b"MZ"
        with zipfile.ZipFile(exe) as packed:
            assert packed.testzip() is None
        assert stored("Addressbook", "4") is None
        wait_until(lambda: not temporary_files(), 30, what="the temporary files to go")

        # 4. A recipient the server refuses: its own reply is shown.
        mail_settings(out, server.port, "nobody@example.test", more_info=1)
        capture()
        shot = wait_until(lambda: _message_text(FAILED), 60, what="the refusal message")
        assert "550 5.1.1 <nobody@example.test>: Recipient address rejected" in shot
        assert server.count() == 3
        # The recipient was set through "Last" above; the book itself must not grow.
        assert stored("Addressbook", "4") is None
        assert "Recipient address rejected" in (DIST / "MailDbg.txt").read_bytes().decode("ascii")
        (DIST / "MailDbg.txt").unlink()

        # 5. No server listening: the connection message; "Last" stays.
        mail_settings(out, free_port(), "dora@example.test")
        capture()
        text = wait_until(lambda: _message_text(FAILED, answer=False), 60,
                          what="the connection message")
        assert text == NO_CONNECTION
        time.sleep(1)
        screenshot("mail-no-connection")
        driver("msgbox", FAILED, 1, 5000)
        assert stored("Addressbook", "4") is None
        wait_until(lambda: not temporary_files(), 30, what="the temporary files to go")
        assert not (DIST / "MailDbg.txt").exists(), "written without MoreInfo"
    finally:
        shown.close()


def _waiting_for_server():
    """The latest line shows the data sent and the server not yet answered."""
    code, text = driver("text", "-", "Sending Mail...", 5101)
    return code == 0 and (text == "." or text.startswith("354"))


def _message_text(caption, answer=True):
    """The text of a message box with that caption (pressing OK when asked), or None."""
    if driver("wait", "#32770", caption, 100)[0] != 0:
        return None
    text = driver("text", "#32770", caption, 65535)[1]
    if not answer:
        return text or None
    time.sleep(1)  # painted before the picture is taken
    screenshot("mail-refused")
    code, text = driver("msgbox", caption, 1, 2000)
    return text if code == 0 else None
