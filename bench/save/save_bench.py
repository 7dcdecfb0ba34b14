"""Times saves of a full-screen 1920x1080 capture through the wizard's "Sa&ve"
button (click to complete file, timed inside one process under Wine) against
ImageMagick's convert of the same capture (as bmp) to the same format, and a
save as bmp in a zip archive against zip -9 of that bmp, in one run, and
prints the medians and their ratio."""
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
                            wait_main_window, walk_to_page)

ROUNDS = int(os.environ.get("ROUNDS", "7"))
SAVE_TIMER = DRIVER.parent / "save_timer.exe"


def whole(archive):
    return subprocess.run(["unzip", "-tqq", str(archive)]).returncode == 0


def save_timer(win_out, ext, rounds):
    timer = subprocess.run(
        ["wine", str(SAVE_TIMER), WIZARD, "Sa&ve", f"{win_out}\\Vistrel.{ext}",
         f"{win_out}\\Vistrel%d.{ext}", str(rounds)],
        capture_output=True, text=True, timeout=600, stdin=subprocess.DEVNULL)
    times = [float(line) / 1000 for line in timer.stdout.split()]
    if timer.returncode != 0 or len(times) != rounds:
        raise AssertionError(f"save_timer failed ({timer.returncode}): {timer.stdout}")
    return times


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
        # The zip is the bmp packed at level 9; its peer packs the same bmp with zip -9.
        for fmt, ext, packed in ((3, "png", 0), (1, "jpg", 0), (0, "zip", 1)):
            show_every_page(out, fmt=fmt)
            reg_add("Divers", "SaveAsZip", packed)
            capture()
            walk_to_page("Sa&ve")
            # The clicks and the waits for the files run in one process under Wine that
            # stays up for all rounds: no process start is part of a figure.
            win_out = "Z:" + str(out).replace("/", "\\")
            if packed:
                # A save adds to an archive of the same name: each round starts without
                # one, in a call of its own (the call's start is not timed).
                ours = []
                for _ in range(ROUNDS):
                    archive = out / "Vistrel.zip"
                    archive.unlink(missing_ok=True)
                    ours += save_timer(win_out, ext, 1)
                    # The figure ends when the archive stands complete under its name;
                    # the wizard then checks it, which must be over before it goes.
                    wait_until(lambda: whole(archive), timeout=10, what="a whole archive")
                    time.sleep(1)
            else:
                ours = save_timer(win_out, ext, ROUNDS)
            theirs = []
            peer = ["zip", "-9", "-q", "-j"] if packed else ["convert", str(reference)]
            for n in range(ROUNDS):
                target = work / f"im{n}.{ext}"
                start = time.monotonic()
                subprocess.run(peer + [str(target)] + ([str(reference)] if packed else []),
                               check=True)
                theirs.append(time.monotonic() - start)
            a, b = statistics.median(ours), statistics.median(theirs)
            results[ext] = (a, b)
            name = "zip -9" if packed else "convert"
            print(f"{ext}: vistrel {a * 1000:.0f} ms, {name} {b * 1000:.0f} ms, ratio {a / b:.2f}")
            print(f"bench-row: save {ext} 1920x1080 (click to file) | {a * 1000:.0f} ms | "
                  f"{name} {b * 1000:.0f} ms | {a / b:.2f} | -")
            page_driver("click", WIZARD, "&Minimize")
        return results
    finally:
        program.stop()
        shown.close()


if __name__ == "__main__":
    main()
