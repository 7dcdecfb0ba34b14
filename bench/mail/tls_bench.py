"""Times mails of a full-screen jpg capture through the wizard's "&Send Mail"
over STARTTLS with a login (the password stored through the setup dialog)
against Python's smtplib with starttls() and login() sending the same jpg, as
a new process, to the same aiosmtpd server in one run; prints the medians and
their ratio. Both check the server's certificate, made at run time by a test
authority that the machine trusts for the run."""
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

from harness import Program, driver, wait_until  # noqa: E402
from output_helpers import (OUTPUT_DRIVER, SETTINGS, WIZARD, PatternOnScreen, capture, make_pattern,  # noqa: E402
                            page_driver, reg_add, show_every_page, wait_main_window)
from test_setup import open_setup, press  # noqa: E402
from tls_mail_server import PASSWORD, USER, Authority, TlsMailServer  # noqa: E402
from mail_bench import stored_after  # noqa: E402

ROUNDS = int(os.environ.get("ROUNDS", "10"))


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-bench-"))
    out = work / "out"
    out.mkdir()
    pattern = work / "pattern.png"
    make_pattern(pattern, 800, 600)
    shown = PatternOnScreen(pattern, 300, 200)
    authority = Authority(work / "ca", "Vistrel Bench Authority")
    certificate = authority.server("server", "127.0.0.1")
    authority.trust()
    server = TlsMailServer("starttls", *certificate)
    program = None
    try:
        show_every_page(out, fmt=1)
        reg_add("Mail", "SMTP_Server", "127.0.0.1")
        reg_add("Mail", "SMTP_Port", server.port)
        reg_add("Mail", "SMTP_Security", "STARTTLS")
        reg_add("Mail", "SMTP_User", USER)
        reg_add("Mail", "Reply_Address", "me@sender.test")
        reg_add("Addressbook", "Last", "you@there.test")
        reg_add("Divers", "Extended Server Info", 0)
        program = Program()
        time.sleep(3)
        wait_main_window()
        open_setup()
        assert page_driver("settext", "Setup", 1333, PASSWORD)[0] == 0
        press("Setup", 1)
        assert driver("gone", "#32770", "Setup", 10000)[0] == 0
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
            wait_until(lambda: subprocess.run(["xdotool", "search", "--name", "Sending Mail"],
                                              capture_output=True).returncode != 0, 30)
            count = server.count()
            start = time.monotonic()
            subprocess.run(["/usr/bin/python3",
                            str(Path(__file__).parent / "send_with_smtplib_tls.py"), str(jpg),
                            str(server.port), str(authority.certificate), USER, PASSWORD],
                           check=True)
            theirs.append(stored_after(server, count, start))
        a, b = statistics.median(ours), statistics.median(theirs)
        print(f"STARTTLS + AUTH, jpg {jpg.stat().st_size} bytes: vistrel {a * 1000:.0f} ms, "
              f"smtplib {b * 1000:.0f} ms, ratio {a / b:.2f} (medians of {ROUNDS})")
        print(f"bench-row: mail over STARTTLS + AUTH (click to stored) | {a * 1000:.0f} ms | "
              f"smtplib starttls()+login() {b * 1000:.0f} ms | {a / b:.2f} | <= 1.2")
    finally:
        if program:
            program.stop()
        server.stop()
        shown.close()
        Authority.distrust()
        # The plain benchmark runs in the same prefix: no encryption or login left for it.
        for key in ("SMTP_Port", "SMTP_Security", "SMTP_User", "SMTP_Password"):
            subprocess.run(["wine", "reg", "delete", SETTINGS + r"\Mail", "/v", key, "/f"],
                           capture_output=True, stdin=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
