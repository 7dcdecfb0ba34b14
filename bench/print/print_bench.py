"""Times prints of a full-screen 1920x1080 output picture through the print
page's "Print" button, from the click to the complete PDF in the queue's
output folder, against `lp -d <queue>` of the same picture as PNG to the same
queue, in one run, and prints the medians and their ratio."""
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

from harness import Program, screenshot  # noqa: E402
from output_helpers import page_driver, WIZARD  # noqa: E402
from pdf_printer import QUEUE, PdfPrinter  # noqa: E402
from test_print import only_print_page, open_print_page, wait_started  # noqa: E402

ROUNDS = int(os.environ.get("ROUNDS", "5"))


def timed_pdf(printer, start):
    """Seconds from the end of `start()` (the click posted, the job submitted) until
    one more PDF is complete (its job done)."""
    before = len(printer.pdfs())
    start()
    began = time.perf_counter()
    deadline = began + 120
    while len(printer.pdfs()) <= before or printer.jobs("not-completed"):
        if time.perf_counter() > deadline:
            raise AssertionError("no PDF")
        time.sleep(0.01)
    return time.perf_counter() - began


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-bench-"))
    printer = PdfPrinter(work / "pdf").start()
    only_print_page(work)
    program = Program()
    try:
        wait_started()
        open_print_page()
        # The same picture for the peer: the screen as it was captured.
        capture_png = work / "capture.png"
        subprocess.run(["cp", str(screenshot("bench-print-capture")), str(capture_png)],
                       check=True)
        ours, peer = [], []
        for _ in range(ROUNDS):
            ours.append(timed_pdf(printer, lambda: page_driver("click", WIZARD, "Print")))
            peer.append(timed_pdf(printer, lambda: printer.lp("lp", "-d", QUEUE,
                                                              str(capture_png))))
        mine, theirs = statistics.median(ours), statistics.median(peer)
        print(f"print 1920x1080: Vistrel {mine:.2f} s, lp {theirs:.2f} s, "
              f"ratio {mine / theirs:.2f} (medians of {ROUNDS})")
    finally:
        program.stop()
        printer.stop()


if __name__ == "__main__":
    main()
