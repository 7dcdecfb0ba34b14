"""Captures that must not reach the outputs with a wrong picture, in one program
start with every output automatic (save, copy, mail to a real SMTP server, print
to the PDF printer): a conversion the component refuses, then a capture taken
while another program holds the clipboard (with a picture of its own), which
reaches every output all the same, printed stretched as stored before it."""
import subprocess

import pytest

from harness import DRIVER, driver, screenshot, wait_until
from mail_server import MailServer
from output_helpers import (SETTINGS, capture, identify, reg_add, straight_through,
                            wait_complete)
from pdf_printer import PdfPrinter
from test_print import drawn_box, pages, wait_started

TITLE = "Tarnwick Vistrel"
EMPTY_PICTURE = ("There is no picture to output: the selected area is empty, or the effects "
                 "could not be applied to it. Nothing was written. Choose another area, change "
                 "the effects or take a new capture.")
NOTHING_TO_COPY = ("There is no picture to copy: the selected area is empty, or the effects "
                   "could not be applied to it. Nothing was put on the clipboard.")
NO_PICTURE_TO_MAIL = ("There is no picture to mail: the selected area is empty, or the effects "
                      "could not be applied to it. Nothing was sent.")
EMPTY_PRINT = ("There is no picture to print: the selected area is empty, or the effects could "
               "not be applied to it. Nothing was printed. Choose another area, change the "
               "effects or take a new capture.")
CANNOT_OPEN_CLIPBOARD = "Cannot open clipboard"
A4_AT_300_DPI = (2479, 3508)


def every_output_automatic(out, port, scale="100", stretch=0):
    """Every page hidden; save, copy, mail and print run by themselves."""
    straight_through(out, scale=scale)
    for box in (1, 2, 5, 8):
        reg_add("Automate", box, 1)
    reg_add("Mail", "SMTP_Server", f"127.0.0.1:{port}")
    reg_add("Mail", "Reply_Address", "me@sender.test")
    reg_add("Addressbook", "Last", "anna@example.test")
    for key, value in {"Subject": "Screen shot", "MessageBody": "Here it is.", "MailAsZip": 0,
                       "MailAsExe": 0, "Extended Server Info": 0,
                       "StretchToPage": stretch}.items():
        reg_add("Divers", key, value)


def message_box():
    """The handle of the program's message box on the screen, or None."""
    code, handle = driver("wait", "#32770", TITLE, 100)
    return handle if code == 0 else None


def next_message(timeout=60):
    """The text of the next message box of the program, which is then closed.
    The outputs' messages follow each other at once: the box counts as closed
    when it is gone, whatever box comes after it."""
    box = wait_until(message_box, timeout, interval=0.2, what="a message box")
    code, text = driver("msgbox", TITLE, 1, 1000)
    assert code == 0, "the message box went before it was answered"
    wait_until(lambda: message_box() != box, 20, what=f"'{text}' to close")
    return text


class ClipboardHolder:
    """Another program that opens the clipboard and keeps it for `seconds`; with
    `picture`, it first puts a picture of its own there (40 x 30, red)."""

    def __init__(self, seconds, picture=False):
        self.process = subprocess.Popen(["wine", str(DRIVER), "holdclipboard",
                                         str(int(seconds * 1000))] +
                                        (["picture"] if picture else []),
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        stdin=subprocess.DEVNULL, text=True)
        assert self.process.stdout.readline().strip() == "held", "the holder got no clipboard"

    def release(self, timeout=60):
        assert driver("releaseclipboard")[0] == 0
        assert self.process.wait(timeout) == 0


@pytest.fixture
def outputs(tmp_path):
    """Settings that start empty, a mail server and the PDF printer."""
    clear = ["wine", "reg", "delete", SETTINGS, "/f"]
    subprocess.run(clear, capture_output=True, stdin=subprocess.DEVNULL)
    server = MailServer()
    printer = PdfPrinter(tmp_path / "pdf").start()
    yield server, printer
    driver("releaseclipboard")  # a holder left by a failed step must not block later tests
    printer.stop()
    server.stop()
    subprocess.run(clear, capture_output=True, stdin=subprocess.DEVNULL)


def test_no_output_goes_out_with_a_wrong_picture(tmp_path, program, outputs):
    server, printer = outputs
    out = tmp_path / "out"
    out.mkdir()
    # 0.05 % of a full-screen capture is 0.96 pixels wide: the component refuses it.
    every_output_automatic(out, server.port, scale="0.05", stretch=0)
    program()
    wait_started()

    # 1. The refused conversion: said, then each output refuses in turn and
    # nothing is written, copied, sent or printed.
    capture()
    refusal = next_message()
    assert refusal.startswith("DoFx-Error while converting.") and " 33205source=" in refusal, \
        refusal
    assert refusal.endswith(",rot=0,rescale=0.96pix"), refusal
    assert next_message() == EMPTY_PICTURE
    assert next_message() == NOTHING_TO_COPY
    assert next_message() == NO_PICTURE_TO_MAIL
    assert next_message() == EMPTY_PRINT
    screenshot("error-paths-refused-conversion")
    assert list(out.iterdir()) == []
    assert server.count() == 0
    assert printer.jobs() == [] and printer.pdfs() == []

    # 2. Another program holds the clipboard, with a picture of its own, when
    # the capture is taken: the library says it could not put the capture
    # there, and the other program lets go before that is answered. The wizard
    # has its picture from the library all the same: every output goes out
    # with the capture (at a tenth of its size, smaller than the page; printed
    # with the stretch stored since the last walk), none with the other
    # program's picture (40 x 30).
    every_output_automatic(out, server.port, scale="10", stretch=1)
    holder = ClipboardHolder(120, picture=True)
    capture()
    wait_until(message_box, 60, interval=0.2, what="the library's message")
    holder.release()
    assert next_message() == CANNOT_OPEN_CLIPBOARD
    saved = wait_complete(out / "Vistrel.bmp")
    assert identify(saved)[:2] == (192, 108)
    wait_until(lambda: server.count() == 1, 60, what="the mail")
    (pdf,) = printer.wait_pdf(1)
    assert pages(pdf) == 1
    (w, h, x, y), _ = drawn_box(pdf, tmp_path)
    # Across the printable width; unstretched it would be 600 x 338 (192 x 108 at 96 dpi).
    ew, eh = A4_AT_300_DPI[0], A4_AT_300_DPI[0] * 108 / 192
    assert abs(w - ew) <= 2 and abs(h - eh) <= 2 and (x, y) == (0, 0), \
        ("not stretched as stored", w, h, ew, eh)
