"""1,000 captures in one run of the program: Print Screen, the wizard running
with every page hidden and saving as png, the wizard closing. Every 100
captures soak_probe samples the process's GDI and USER objects, its handles,
its private bytes and its heaps' busy blocks; the growth per 100 captures is
reported. The peer (soak_peer.exe) makes the system calls of as many captures
in the same session with nothing of ours, so that what Wine itself keeps per
capture shows beside ours. Then the peak of
private bytes during one capture-to-png at the display's size, in frames
(width x height x 4 bytes)."""
import collections
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
from output_helpers import capture, straight_through, wait_main_window, wine_path  # noqa: E402

CAPTURES = int(os.environ.get("CAPTURES", "1000"))
EVERY = int(os.environ.get("EVERY", "100"))
PROBE = DRIVER.parent / "soak_probe.exe"
PEER = DRIVER.parent / "soak_peer.exe"
WIDTH, HEIGHT = 1920, 1080
FRAME = WIDTH * HEIGHT * 4


# With SOAK_DETAIL=<folder>, every sample also lists the program's busy heap
# blocks and its memory map there (blocks-<n>.txt, smaps-<n>.txt), to find what grows.
DETAIL = Path(os.environ["SOAK_DETAIL"]) if os.environ.get("SOAK_DETAIL") else None
FIGURES = ("gdi", "user", "handles", "private", "heapblocks", "heapbytes", "committed")


def sample(n=None, pid=None):
    command = ["wine", str(PROBE), "vistrel.exe"]
    if DETAIL and n is not None:
        DETAIL.mkdir(parents=True, exist_ok=True)
        command.append(wine_path(DETAIL / f"blocks-{n}.txt"))
        (DETAIL / f"smaps-{n}.txt").write_text(Path(f"/proc/{pid}/smaps").read_text())
    run = subprocess.run(command, capture_output=True, text=True, timeout=300, stdin=subprocess.DEVNULL)
    fields = run.stdout.split()
    values = dict(zip(fields[0::2], fields[1::2]))
    if run.returncode != 0 or not all(k in values for k in (*FIGURES, "how")):
        raise AssertionError(f"soak_probe failed ({run.returncode}): {run.stdout}{run.stderr}")
    return {k: int(values[k]) for k in FIGURES}, values["how"]


def unix_pid(process, exe=b"vistrel.exe"):
    """The Linux process that runs exe (Wine's loader), in the session the Popen
    `process` was started in: other prefixes may run a vistrel.exe too."""
    session = os.getsid(process.pid)
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                command = (entry / "cmdline").read_bytes().split(b"\0")[0]
                if command.lower().endswith(exe) and os.getsid(int(entry.name)) == session:
                    return int(entry.name)
            except OSError:
                continue
    raise AssertionError(f"no process runs {exe.decode()}")


class Peer:
    """soak_peer.exe: the screen copy, the clipboard hand-offs and the window
    list of a capture, made by a program with nothing of ours in it. What it
    grows by is Wine's."""

    def __init__(self):
        self.process = subprocess.Popen(["wine", str(PEER)], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True, start_new_session=True)
        self.pid = None

    def rounds(self, n):
        self.process.stdin.write(f"{n}\n")
        self.process.stdin.flush()
        fields = self.process.stdout.readline().split()
        values = dict(zip(fields[0::2], fields[1::2]))
        if "heapbytes" not in values:
            raise AssertionError(f"soak_peer answered {fields}")
        self.pid = self.pid or unix_pid(self.process, b"soak_peer.exe")
        return {"heapblocks": int(values["heapblocks"]), "heapbytes": int(values["heapbytes"]),
                "private": private_resident(self.pid)}

    def stop(self):
        try:
            self.process.communicate("\n", timeout=30)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, 15)


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
    """Least-squares slope per 100 captures, over every sample."""
    xs = [n for n, _ in samples]
    ys = [s[key] for _, s in samples]
    mx, my = statistics.mean(xs), statistics.mean(ys)
    slope = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)
    return slope * 100


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-soak-"))
    out = work / "out"
    out.mkdir()
    straight_through(out, fmt=3)
    program = Program()
    peer = Peer()
    try:
        wait_main_window()
        pid = unix_pid(program.process)
        # The first capture (and the peer's first round) loads what every later
        # one reuses; count from there.
        one_capture(out)
        samples = []
        first, how = sample(1, pid)
        samples.append((0, dict(first, linux=private_resident(pid))))
        peer_samples = [(0, peer.rounds(1))]
        print(f"after 1 capture: {samples[0][1]}; peer {peer_samples[0][1]} "
              f"(GDI/USER counted {'by GetGuiResources' if how == 'api' else 'from inside the process'})",
              flush=True)
        started = time.monotonic()
        for n in range(1, CAPTURES + 1):
            one_capture(out)
            if n % EVERY == 0:
                values, _ = sample(n + 1, pid)
                samples.append((n, dict(values, linux=private_resident(pid))))
                # The peer's rounds in between, so that both meet the same session.
                peer_samples.append((n, peer.rounds(EVERY)))
                print(f"after {n + 1} captures ({time.monotonic() - started:.0f} s): {samples[-1][1]}; "
                      f"peer {peer_samples[-1][1]}", flush=True)
        peaks = [peak_during_capture(out, pid) for _ in range(5)]
        report(samples, peer_samples, peaks)
        if DETAIL:
            last = samples[-1][0] + 1
            print(f"busy heap blocks that grew most from capture 1 to capture {last}:")
            grown_blocks(DETAIL / "blocks-1.txt", DETAIL / f"blocks-{last}.txt")
    finally:
        program.stop()
        peer.stop()


def grown_blocks(first, last, shown=8):
    """From two SOAK_DETAIL block lists: the block sizes whose count grew most."""
    def sizes(path):
        counts = collections.Counter()
        for line in path.read_text().splitlines():
            fields = line.split()
            counts[(fields[0], int(fields[2]))] += 1
        return counts
    grown = sizes(last)
    grown.subtract(sizes(first))
    for (heap, size), count in grown.most_common(shown):
        if count > 0:
            print(f"  heap {heap}: {count:+d} blocks of {size} bytes ({count * size:+d} bytes)")


def report(samples, peer_samples, peaks):
    first, last = samples[0][1], samples[-1][1]
    whole = lambda rows, key: rows[-1][1][key] - rows[0][1][key]  # noqa: E731
    print()
    print(f"{'figure':<44}{'per 100 captures':>18}{'whole run':>14}  target")
    for key, name, target in (("gdi", "GDI objects", "0"), ("user", "USER objects", "0"),
                              ("handles", "handles", "0")):
        print(f"{name:<44}{growth(samples, key):>18.2f}{last[key] - first[key]:>14}  {target}")
    # Wine's private-bytes count holds only swapped-out memory; there the
    # process's private memory as Linux counts it stands in.
    key = "private" if last["private"] else "linux"
    source = "private bytes" if key == "private" else "private bytes (Linux: anon+swap)"
    ours = whole(samples, key)
    theirs = whole(peer_samples, "private")
    rows = ((f"{source}, ours", growth(samples, key), ours, "< 1 MB over the run"),
            (f"{source}, peer", growth(peer_samples, "private"), theirs, ""),
            (f"{source}, ours less the peer's", growth(samples, key) - growth(peer_samples, "private"),
             ours - theirs, "< 1 MB over the run"),
            ("heap bytes in busy blocks, ours", growth(samples, "heapbytes"), whole(samples, "heapbytes"), ""),
            ("heap bytes in busy blocks, peer", growth(peer_samples, "heapbytes"),
             whole(peer_samples, "heapbytes"), ""),
            ("heap blocks, ours", growth(samples, "heapblocks"), whole(samples, "heapblocks"), ""),
            ("heap blocks, peer", growth(peer_samples, "heapblocks"), whole(peer_samples, "heapblocks"), ""),
            ("committed private (the process's view)", growth(samples, "committed"),
             whole(samples, "committed"), ""))
    for name, slope, total, target in rows:
        print(f"{name:<44}{slope:>18.0f}{total:>14}  {target}")
    peak = statistics.median(peaks)
    print(f"peak private bytes during one capture-to-png at {WIDTH}x{HEIGHT}: "
          f"{peak / FRAME:.2f} frames (median of {len(peaks)}; target <= 6)")
    for key in ("gdi", "user", "handles"):
        print(f"bench-row: soak, {key} growth per 100 captures | {growth(samples, key):.2f} | - | - | 0")
    print(f"bench-row: soak, private bytes over {CAPTURES} captures | {ours} B | {theirs} B | - | < 1 MB")
    print(f"bench-row: soak, the same less the peer's | {ours - theirs} B | - | - | < 1 MB")
    print(f"bench-row: peak private bytes, one capture-to-png | {peak / FRAME:.2f} frames | - | - | <= 6")


if __name__ == "__main__":
    main()
