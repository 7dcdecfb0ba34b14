"""Times mails of a full-screen 1920x1080 jpg capture through the wizard's
"&Send Mail" button against Python's smtplib mailing the same jpg to the same
local server, round by round in one run, and prints the medians and their
ratio.

Ours runs from the moment the driver posts the click to the button (read from
Wine's performance counter) to the moment the server stored the mail (read
from CLOCK_MONOTONIC_RAW, the same clock under Wine); it includes making the
jpg from the capture. The peer's runs from its start of work on the mail
(reading the file, building the message) to the mail stored, in a Python
process that stays up for all rounds. Neither side counts a process start.
The program's own stage stamps (VISTREL_STAGE_TIMES) give the breakdown: the
conversion (the picture put on the clipboard and made into the temporary jpg
by the conversion component, from the status line "Creating temporary
file..." to the component's return), and the send part, from that temporary file to the mail
stored, which does what the peer does (a file read, a MIME mail built and
sent) and is printed against it as a second ratio.

With --starttls the same rounds run over STARTTLS with a login (the password
stored through the setup dialog), beside smtplib's starttls() and login(),
against an aiosmtpd server that requires both; both sides check the server's
certificate, made at run time by a test authority that the machine trusts for
the run only."""
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
from mail_server import MailServer  # noqa: E402
from output_helpers import (SETTINGS, WIZARD, PatternOnScreen, capture, make_pattern,  # noqa: E402
                            page_driver, reg_add, show_every_page, wait_main_window)
from test_setup import open_setup, press  # noqa: E402
from tls_mail_server import PASSWORD, USER, Authority, TlsMailServer  # noqa: E402

ROUNDS = int(os.environ.get("ROUNDS", "10"))
CONVERTING, CONVERTED = "Creating temporary file...", "mail converted"


def stored(server, count):
    deadline = time.monotonic() + 120
    while server.count() <= count:
        if time.monotonic() > deadline:
            raise AssertionError("the mail did not arrive")
        time.sleep(0.002)
    return server.stored_at(count)


def stamps(path):
    out = []
    if path.exists():
        for line in path.read_text().splitlines():
            name, _, value = line.rpartition(" ")
            # The status lines name the server and the recipient: keep their first words.
            for prefix in ("Connecting to", "Sending mail to"):
                if name.startswith(prefix):
                    name = prefix
            out.append((name, float(value)))
    return out


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-bench-"))
    out = work / "out"
    out.mkdir()
    times_file = work / "stages.txt"
    os.environ["VISTREL_STAGE_TIMES"] = "Z:" + str(times_file).replace("/", "\\")
    pattern = work / "pattern.png"
    make_pattern(pattern, 800, 600)
    shown = PatternOnScreen(pattern, 300, 200)
    tls = "--starttls" in sys.argv[1:]
    peer_args = ""
    if tls:
        authority = Authority(work / "ca", "Vistrel Bench Authority")
        certificate = authority.server("server", "127.0.0.1")
        authority.trust()
        server = TlsMailServer("starttls", *certificate)
        peer_args = f"\t{authority.certificate}\t{USER}\t{PASSWORD}"
    else:
        server = MailServer()
    # Settings first: on a fresh machine the first-use tip would hold start-up.
    show_every_page(out, fmt=1)
    reg_add("Mail", "SMTP_Server", f"127.0.0.1:{server.port}")
    reg_add("Mail", "Reply_Address", "me@sender.test")
    reg_add("Addressbook", "Last", "you@there.test")
    reg_add("Divers", "Extended Server Info", 0)
    if tls:
        reg_add("Mail", "SMTP_Security", "STARTTLS")
        reg_add("Mail", "SMTP_User", USER)
    program = Program()
    peer = subprocess.Popen(["/usr/bin/python3", str(Path(__file__).parent / "send_with_smtplib.py")],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        if tls:
            # Driver calls right after the trusted roots changed can stall.
            time.sleep(3)
        wait_main_window()
        if tls:
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
        ours, theirs, stages, conversion, send_part = [], [], {}, [], []
        jpg = None
        for _ in range(ROUNDS):
            count = server.count()
            before = len(stamps(times_file))
            code, moment = page_driver("timedclick", WIZARD, "&Send Mail")
            if code != 0:
                raise AssertionError("the Send Mail button was not there")
            clicked = float(moment)
            at_server = stored(server, count)
            ours.append(at_server - clicked)
            if jpg is None:
                message = server.message(count)[2]
                jpg = work / "capture.jpg"
                jpg.write_bytes(next(message.iter_attachments()).get_payload(decode=True))
            # The progress window closes after the server's last reply.
            wait_until(lambda: subprocess.run(["xdotool", "search", "--name", "Sending Mail"],
                                              capture_output=True).returncode != 0, 30)
            previous = clicked
            round_stamps = stamps(times_file)[before:]
            for name, at in round_stamps:
                stages.setdefault(name, []).append(at - previous)
                previous = at
            named = dict(round_stamps)
            conversion.append(named[CONVERTED] - named[CONVERTING])
            send_part.append(at_server - named[CONVERTED])
            count = server.count()
            peer.stdin.write(f"{jpg}\t{server.port}{peer_args}\n")
            peer.stdin.flush()
            began = float(peer.stdout.readline())
            theirs.append(stored(server, count) - began)
        a, b = statistics.median(ours), statistics.median(theirs)
        c, s = statistics.median(conversion), statistics.median(send_part)
        case = "over STARTTLS + AUTH" if tls else "plain"
        peer_name = "smtplib starttls()+login()" if tls else "smtplib"
        print(f"{case}, jpg {jpg.stat().st_size} bytes, load {os.getloadavg()[0]:.2f}, "
              f"medians of {ROUNDS}:")
        print(f"  vistrel {a:.1f} ms from the click, {peer_name} {b:.1f} ms from its start of "
              f"work: ratio {a / b:.2f}")
        print(f"  of vistrel's: the conversion {c:.1f} ms; the send part (temporary jpg to stored) "
              f"{s:.1f} ms, against the peer: ratio {s / b:.2f}")
        print("vistrel by stage (median ms, each from the stamp before, the first from the click):")
        for name, values in stages.items():
            print(f"  {statistics.median(values):8.2f}  {name}")
        print(f"bench-row: mail jpg 1920x1080, {case} (click to stored) | {a:.0f} ms | "
              f"{peer_name} {b:.0f} ms | {a / b:.2f} | 1.2")
        print(f"bench-row: mail, {case}, send part (temporary jpg to stored) | {s:.0f} ms | "
              f"{peer_name} {b:.0f} ms | {s / b:.2f} | -")
    finally:
        peer.stdin.close()
        peer.wait(timeout=30)
        program.stop()
        server.stop()
        shown.close()
        if tls:
            Authority.distrust()
            # The plain rounds run in the same prefix: no encryption or login left for them.
            for key in ("SMTP_Security", "SMTP_User", "SMTP_Password"):
                subprocess.run(["wine", "reg", "delete", SETTINGS + r"\Mail", "/v", key, "/f"],
                               capture_output=True, stdin=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
