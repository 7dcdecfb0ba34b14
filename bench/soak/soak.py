"""1,000 captures in one run of the program: Print Screen, the wizard running
with every page hidden and saving as png, the wizard closing. Every 100
captures soak_probe samples the process's GDI and USER objects, its handles and
its private bytes; the growth per 100 captures is reported. Then the peak of
private bytes during one capture-to-png at the display's size, in frames
(width x height x 4 bytes)."""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

top = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(top / "tests" / "e2e"))
os.chdir(top)

from harness import DRIVER, Program, driver, wait_until  # noqa: E402
from output_helpers import capture, straight_through, wait_main_window  # noqa: E402

CAPTURES = int(os.environ.get("CAPTURES", "1000"))
EVERY = int(os.environ.get("EVERY", "100"))
PROBE = DRIVER.parent / "soak_probe.exe"
WIDTH, HEIGHT = 1920, 1080
FRAME = WIDTH * HEIGHT * 4


def sample():
    run = subprocess.run(["wine", str(PROBE), "vistrel.exe"], capture_output=True, text=True,
                         timeout=300, stdin=subprocess.DEVNULL)
    fields = run.stdout.split()
    if run.returncode != 0 or len(fields) != 10:
        raise AssertionError(f"soak_probe failed ({run.returncode}): {run.stdout}{run.stderr}")
    values = dict(zip(fields[0::2], fields[1::2]))
    return {k: int(values[k]) for k in ("gdi", "user", "handles", "private")}, values["how"]


def unix_pid(program):
    """The Linux process that runs vistrel.exe (Wine's loader), in the session the
    program was started in: other prefixes may run a vistrel.exe too."""
    session = os.getsid(program.process.pid)
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                command = (entry / "cmdline").read_bytes().split(b"\0")[0]
                if command.lower().endswith(b"vistrel.exe") and os.getsid(int(entry.name)) == session:
                    return int(entry.name)
            except OSError:
                continue
    raise AssertionError("no process runs vistrel.exe")


def private_resident(pid):
    """Private memory as Linux counts it: anonymous resident plus swapped out."""
    status = Path(f"/proc/{pid}/status").read_text()
    kb = lambda name: int(re.search(rf"^{name}:\s+(\d+) kB", status, re.M).group(1))  # noqa: E731
    return (kb("RssAnon") + kb("VmSwap")) * 1024


def one_capture(out):
    """One capture to a png; the file is removed once complete, so that the
    program's file-name search stays the same for every capture."""
    capture()
    try:
        png = wait_until(lambda: next(iter(out.glob("*.png")), None), timeout=120,
                         interval=0.02, what="the capture's png")
    except AssertionError:
        # What the screen and the program's windows showed when a capture went missing.
        shot = top / "build" / "soak-missing-capture.png"
        subprocess.run(f"xwd -root -silent | convert xwd:- {shot}", shell=True)
        print(f"no png; screen: {shot}; windows:\n{driver('list')[1]}", flush=True)
        raise
    last = -1
    while True:
        size = png.stat().st_size
        if size > 0 and size == last:
            break
        last = size
        time.sleep(0.05)
    png.unlink()
    # The next Print Screen is refused while the wizard is open.
    wait_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vistrel Wizard$"],
                                      capture_output=True).returncode != 0,
               timeout=60, interval=0.05, what="the wizard to close")


def peak_during_capture(out, pid):
    base = private_resident(pid)
    peak = [base]
    stop = threading.Event()

    def watch():
        while not stop.is_set():
            peak[0] = max(peak[0], private_resident(pid))
            time.sleep(0.002)

    watcher = threading.Thread(target=watch)
    watcher.start()
    try:
        one_capture(out)
    finally:
        stop.set()
        watcher.join()
    return peak[0] - base


def growth(samples, key):
    """Least-squares slope per EVERY captures, over the samples after the first."""
    xs = [n for n, _ in samples]
    ys = [s[key] for _, s in samples]
    mx, my = statistics.mean(xs), statistics.mean(ys)
    slope = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)
    return slope * EVERY


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-soak-"))
    out = work / "out"
    out.mkdir()
    straight_through(out, fmt=3)
    program = Program()
    try:
        wait_main_window()
        pid = unix_pid(program)
        # The first capture loads what every later one reuses; count from there.
        one_capture(out)
        samples = []
        first, how = sample()
        samples.append((0, first))
        linux = [(0, private_resident(pid))]
        print(f"after 1 capture: {first} (GDI/USER counted {'by GetGuiResources' if how == 'api' else 'from inside the process'})",
              flush=True)
        started = time.monotonic()
        for n in range(1, CAPTURES + 1):
            one_capture(out)
            if n % EVERY == 0:
                values, _ = sample()
                samples.append((n, values))
                linux.append((n, private_resident(pid)))
                print(f"after {n + 1} captures ({time.monotonic() - started:.0f} s): {values}, "
                      f"resident private {linux[-1][1]}", flush=True)
        peaks = [peak_during_capture(out, pid) for _ in range(5)]
        last = samples[-1][1]
        print()
        print(f"{'figure':<34}{'per 100 captures':>18}{'whole run':>14}  target")
        for key, target in (("gdi", "0"), ("user", "0"), ("handles", "0")):
            print(f"{key + ' objects' if key != 'handles' else 'handles':<34}"
                  f"{growth(samples, key):>18.2f}{last[key] - first[key]:>14}  {target}")
        # Wine's private-bytes count holds only swapped-out memory; there the
        # process's private memory as Linux counts it stands in.
        if last["private"] == 0:
            samples = [(n, dict(s, private=v)) for (n, s), (_, v) in zip(samples, linux)]
            last, first = samples[-1][1], samples[0][1]
            source = "private bytes (Linux: anon+swap)"
        else:
            source = "private bytes"
        whole = last["private"] - first["private"]
        print(f"{source:<34}{growth(samples, 'private'):>18.0f}{whole:>14}  < 1 MB over the run")
        peak = statistics.median(peaks)
        print(f"peak private bytes during one capture-to-png at {WIDTH}x{HEIGHT}: "
              f"{peak / FRAME:.2f} frames (median of {len(peaks)}; target <= 6)")
        for key in ("gdi", "user", "handles"):
            print(f"bench-row: soak, {key} growth per 100 captures | {growth(samples, key):.2f} | - | - | 0")
        print(f"bench-row: soak, private bytes over {CAPTURES} captures | {whole} B | - | - | < 1 MB")
        print(f"bench-row: peak private bytes, one capture-to-png | {peak / FRAME:.2f} frames | - | - | <= 6")
    finally:
        program.stop()


if __name__ == "__main__":
    main()
