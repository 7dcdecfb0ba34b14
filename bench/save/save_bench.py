"""Times saves of a full-screen 1920x1080 capture through the wizard's "Sa&ve"
button (click to complete file, timed inside one process under Wine) against
ImageMagick's convert of the same capture (as bmp) to the same format, in one
run, and prints the medians and their ratio."""
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

from harness import DRIVER, Program, wait_until  # noqa: E402
from output_helpers import (WIZARD, capture, make_pattern, page_driver, PatternOnScreen,  # noqa: E402
                            reg_add, show_every_page, straight_through, wait_complete,
                            wait_main_window)

ROUNDS = int(os.environ.get("ROUNDS", "7"))
SAVE_TIMER = DRIVER.parent / "save_timer.exe"


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-bench-"))
    out = work / "out"
    out.mkdir()
    pattern = work / "pattern.png"
    make_pattern(pattern, 800, 600)
    shown = PatternOnScreen(pattern, 300, 200)
    # Settings first: on a fresh machine the first-use tip would hold start-up.
    straight_through(out, fmt=0)
    program = Program()
    try:
        wait_main_window()
        # The reference capture, as the program itself writes it.
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
            # The clicks and the waits for the files run in one process under Wine that
            # stays up for all rounds: no process start is part of a figure.
            win_out = "Z:" + str(out).replace("/", "\\")
            timer = subprocess.run(
                ["wine", str(SAVE_TIMER), WIZARD, "Sa&ve", f"{win_out}\\Vistrel.{ext}",
                 f"{win_out}\\Vistrel%d.{ext}", str(ROUNDS)],
                capture_output=True, text=True, timeout=600, stdin=subprocess.DEVNULL)
            ours = [float(line) / 1000 for line in timer.stdout.split()]
            if timer.returncode != 0 or len(ours) != ROUNDS:
                raise AssertionError(f"save_timer failed ({timer.returncode}): {timer.stdout}")
            theirs = []
            for n in range(ROUNDS):
                start = time.monotonic()
                subprocess.run(["convert", str(reference), str(work / f"im{n}.{ext}")], check=True)
                theirs.append(time.monotonic() - start)
            a, b = statistics.median(ours), statistics.median(theirs)
            results[ext] = (a, b)
            print(f"{ext}: vistrel {a * 1000:.0f} ms, convert {b * 1000:.0f} ms, ratio {a / b:.2f}")
            print(f"bench-row: save {ext} 1920x1080 (click to file) | {a * 1000:.0f} ms | "
                  f"convert {b * 1000:.0f} ms | {a / b:.2f} | -")
            page_driver("click", WIZARD, "&Minimize")
        return results
    finally:
        program.stop()
        shown.close()


if __name__ == "__main__":
    main()
