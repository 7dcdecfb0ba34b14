"""Times mails of a full-screen 1920x1080 jpg capture through the wizard's
"&Send Mail" button against Python's smtplib mailing the same jpg (as a new
process, as the button's work is a new send) to the same local server, in one
run, and prints the medians and their ratio.

Ours runs from the start of the process that presses the button (under Wine,
so its start-up is counted against us) to the mail stored by the server; the
peer's from the start of its process to the mail stored."""
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

top = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(top / "tests" / "e2e"))
os.chdir(top)

from harness import Program, wait_until  # noqa: E402
from mail_server import MailServer  # noqa: E402
from output_helpers import (OUTPUT_DRIVER, WIZARD, PatternOnScreen, capture, make_pattern,  # noqa: E402
                            page_driver, reg_add, show_every_page, wait_main_window)

ROUNDS = int(os.environ.get("ROUNDS", "10"))


def stored_after(server, count, start):
    deadline = start + 120
    while server.count() <= count:
        if time.monotonic() > deadline:
            raise AssertionError("the mail did not arrive")
        time.sleep(0.002)
    return time.monotonic() - start


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-bench-"))
    out = work / "out"
    out.mkdir()
    pattern = work / "pattern.png"
    make_pattern(pattern, 800, 600)
    shown = PatternOnScreen(pattern, 300, 200)
    server = MailServer()
    program = Program()
    try:
        wait_main_window()
        show_every_page(out, fmt=1)
        reg_add("Mail", "SMTP_Server", f"127.0.0.1:{server.port}")
        reg_add("Mail", "Reply_Address", "me@sender.test")
        reg_add("Addressbook", "Last", "you@there.test")
        reg_add("Divers", "Extended Server Info", 0)
        capture()
        wait_until(lambda: page_driver("shown", WIZARD, "&Next >")[0] == 0, timeout=30,
                   what="the wizard")
        while page_driver("shown", WIZARD, "&Send Mail")[0] != 0:
            page_driver("click", WIZARD, "&Next >")
            time.sleep(0.2)
        ours, theirs = [], []
        jpg = None
        for _ in range(ROUNDS):
            count = server.count()
            start = time.monotonic()
            subprocess.run(["wine", str(OUTPUT_DRIVER), "click", WIZARD, "&Send Mail"],
                           capture_output=True, stdin=subprocess.DEVNULL, check=True)
            ours.append(stored_after(server, count, start))
            if jpg is None:
                message = server.message(count)[2]
                jpg = work / "capture.jpg"
                jpg.write_bytes(next(message.iter_attachments()).get_payload(decode=True))
            # The progress window closes after the server's last reply.
            wait_until(lambda: subprocess.run(["xdotool", "search", "--name", "Sending Mail"],
                                              capture_output=True).returncode != 0, 30)
            count = server.count()
            start = time.monotonic()
            subprocess.run(["/usr/bin/python3", str(Path(__file__).parent / "send_with_smtplib.py"),
                            str(jpg), str(server.port)], check=True)
            theirs.append(stored_after(server, count, start))
        # For reading the figure: what starting the pressing process alone takes (not subtracted).
        starts = []
        for _ in range(ROUNDS):
            start = time.monotonic()
            page_driver("shown", WIZARD, "&Send Mail")
            starts.append(time.monotonic() - start)
        a, b = statistics.median(ours), statistics.median(theirs)
        print(f"jpg {jpg.stat().st_size} bytes: vistrel {a * 1000:.0f} ms, "
              f"smtplib {b * 1000:.0f} ms, ratio {a / b:.2f} (medians of {ROUNDS}); "
              f"the pressing process alone: {statistics.median(starts) * 1000:.0f} ms")
    finally:
        program.stop()
        server.stop()
        shown.close()


if __name__ == "__main__":
    main()
