"""Times saves of a full-screen 1920x1080 capture through the wizard's "Sa&ve"
button against ImageMagick's convert of the same capture (as bmp) to the same
format, in one run, and prints the medians and their ratio."""
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
from output_helpers import (WIZARD, capture, make_pattern, page_driver, PatternOnScreen,  # noqa: E402
                            reg_add, show_every_page, straight_through, wait_complete,
                            wait_main_window)

ROUNDS = int(os.environ.get("ROUNDS", "7"))


def wait_file(path, timeout=60):
    # Files appear under their final name only when complete (written, then renamed).
    deadline = time.monotonic() + timeout
    while not path.exists():
        if time.monotonic() > deadline:
            raise AssertionError(f"{path} not written")
        time.sleep(0.005)


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-bench-"))
    out = work / "out"
    out.mkdir()
    pattern = work / "pattern.png"
    make_pattern(pattern, 800, 600)
    shown = PatternOnScreen(pattern, 300, 200)
    program = Program()
    try:
        wait_main_window()
        # The reference capture, as the program itself writes it.
        straight_through(out, fmt=0)
        capture()
        reference = wait_complete(out / "Vistrel.bmp")
        results = {}
        for fmt, ext in ((3, "png"), (1, "jpg")):
            show_every_page(out, fmt=fmt)
            capture()
            wait_until(lambda: page_driver("shown", WIZARD, "&Next >")[0] == 0, timeout=30,
                       what="the wizard")
            while page_driver("shown", WIZARD, "Sa&ve")[0] != 0:
                page_driver("click", WIZARD, "&Next >")
                time.sleep(0.2)
            ours, theirs = [], []
            for n in range(ROUNDS):
                target = out / (f"Vistrel.{ext}" if n == 0 else f"Vistrel{n}.{ext}")
                start = time.monotonic()
                page_driver("click", WIZARD, "Sa&ve")
                wait_file(target)
                ours.append(time.monotonic() - start)
                start = time.monotonic()
                subprocess.run(["convert", str(reference), str(work / f"im{n}.{ext}")], check=True)
                theirs.append(time.monotonic() - start)
            # The driver itself runs under Wine: its start-up is part of "ours"; measure it
            # as often as the saves, so that one slow start does not swing the ratio.
            starts = []
            for _ in range(ROUNDS):
                start = time.monotonic()
                page_driver("shown", WIZARD, "Sa&ve")
                starts.append(time.monotonic() - start)
            overhead = statistics.median(starts)
            a, b = statistics.median(ours) - overhead, statistics.median(theirs)
            results[ext] = (a, b)
            print(f"{ext}: vistrel {a * 1000:.0f} ms (driver start {overhead * 1000:.0f} ms "
                  f"subtracted), convert {b * 1000:.0f} ms, ratio {a / b:.2f}")
            page_driver("click", WIZARD, "&Minimize")
        return results
    finally:
        program.stop()
        shown.close()


if __name__ == "__main__":
    main()
