"""Print Screen to the file on disk, Vistrel against scrot, maim and ImageMagick's
import, in one run on the same screens, interleaved round by round.

Vistrel runs with every page hidden and only the save automatic; the key press
is timed until the output file exists (the component writes it under a
temporary name and renames it, so its appearance is its completion). The
program's own stage stamps (VISTREL_STAGE_TIMES) give the breakdown.
"""
import os
import statistics
import subprocess
import sys
import shutil
import tempfile
import threading
import time
from pathlib import Path

top = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(top / "tests" / "e2e"))
os.environ["VISTREL_E2E_DIST"] = sys.argv[1]
os.environ["VISTREL_DRIVER"] = sys.argv[2]

from harness import Program, restart_wine, wait_until, wine_run  # noqa: E402
from output_helpers import reg_add, straight_through  # noqa: E402

ROUNDS = int(os.environ.get("ROUNDS", "7"))
FORMATS = {"png": 3, "jpg": 1}
# The stages in the order the program stamps them; each is timed from the one before.
STAGES = [("command", "key to capture command"), ("captured", "capture"),
          ("transferred", "transfer to the wizard"), ("walked", "walk to the save"),
          ("handed", "hand-off to the component"), ("encoded", "encode"), ("written", "write")]


def make_screens(work):
    """A photo-like (noise-rich plasma) and a desktop-like (windows, text) screen."""
    photo = work / "photo.png"
    subprocess.run(["convert", "-seed", "19", "-size", "1920x1080", "plasma:fractal", "-depth", "8",
                    f"PNG24:{photo}"], check=True)
    lines = Path("/usr/share/common-licenses/GPL-3").read_text().splitlines()
    left, right = "\n".join(lines[:45]), "\n".join(lines[45:90])

    def window(width, height, title, text, font):
        return ["(", "-size", f"{width}x{height}", "xc:#ece9d8", "-fill", "#0a246a", "-draw",
                f"rectangle 0,0 {width},24", "-fill", "white", "-font", "DejaVu-Sans",
                "-pointsize", "13", "-annotate", "+8+17", title, "-draw",
                f"rectangle 6,30 {width - 6},{height - 6}", "-fill", "black", "-font", font,
                "-pointsize", "12", "-annotate", "+12+48", text, ")"]
    desktop = work / "desktop.png"
    subprocess.run(["convert", "-size", "1920x1080", "gradient:#1d4f8c-#3a7bc8",
                    *window(980, 760, "Document - Editor", left, "DejaVu-Sans-Mono"),
                    "-geometry", "+60+50", "-composite",
                    *window(820, 640, "Files", right, "DejaVu-Sans"),
                    "-geometry", "+1000+300", "-composite",
                    "(", "-size", "1920x36", "xc:#d4d0c8", "-fill", "black", "-annotate", "+10+24",
                    "Start", ")", "-geometry", "+0+1044", "-composite", "-depth", "8",
                    f"PNG24:{desktop}"], check=True)
    return {"photo": photo, "desktop": desktop}


def show(picture):
    # display sets the root window's background and exits (with 1 even when it worked).
    subprocess.run(["display", "-window", "root", str(picture)], check=False)


def peers(out, fmt, n):
    """Command lines of the peers writing the screen as fmt (jpg at quality 90)."""
    target = lambda tool: str(out / f"{tool}{n}.{fmt}")  # noqa: E731
    if fmt == "png":
        return {"scrot": ["scrot", "-o", target("scrot")],
                "maim": ["maim", "-f", "png", target("maim")],
                "imagemagick": ["import", "-window", "root", target("imagemagick")]}
    return {"scrot": ["scrot", "-o", "-q", "90", target("scrot")],
            "maim": ["maim", "-f", "jpg", "-m", "9", target("maim")],
            "imagemagick": ["import", "-window", "root", "-quality", "90", target("imagemagick")]}


def timed(command, path):
    start = time.monotonic()
    subprocess.run(command, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return time.monotonic() - start, Path(path).stat().st_size


def stamps(path):
    if not path.exists():
        return []
    out = []
    for line in path.read_text().splitlines():
        name, _, value = line.rpartition(" ")
        out.append((name, float(value)))
    return out


def window_list():
    """The driver's window list. Its output goes through a file: a pipe has been seen
    to stay open after the driver ended (held by a Wine process it started)."""
    with tempfile.TemporaryFile() as listing:
        subprocess.run(["wine", os.environ["VISTREL_DRIVER"], "list"], stdout=listing,
                       stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=120)
        listing.seek(0)
        return listing.read().decode(errors="replace")


def wait_idle():
    """The program is up and idle in the tray: its main window exists and the start-up
    picture has gone."""
    wait_until(lambda: "VistrelMainform" in window_list(), 120, interval=0.5,
               what="the main window")
    wait_until(lambda: not any("VistrelSplashScreen" in line and line.endswith("visible")
                               for line in window_list().splitlines()),
               60, interval=0.5, what="the start-up picture to go")


def wait_file(path, timeout=120):
    deadline = time.monotonic() + timeout
    while not path.exists():
        if time.monotonic() > deadline:
            raise AssertionError(f"{path} not written")
        time.sleep(0.002)


def main():
    work = Path(tempfile.mkdtemp(prefix="vistrel-shot-"))
    out = work / "out"
    out.mkdir()
    times_file = work / "stages.txt"
    os.environ["VISTREL_STAGE_TIMES"] = "Z:" + str(times_file).replace("/", "\\")
    screens = make_screens(work)
    # CASES=two runs the two-monitor case alone.
    if os.environ.get("CASES") == "two":
        two_monitors(screens["photo"], work / "two", times_file)
        return
    straight_through(out, fmt=3)
    program = Program()
    results = {}     # (tool, screen, fmt) -> [(seconds, size)]
    breakdown = {}   # (screen, fmt) -> {stage: [ms]}
    try:
        wait_idle()
        for screen, picture in screens.items():
            show(picture)
            for fmt, index in FORMATS.items():
                reg_add("Divers", "FileFormat", index)
                folder = out / f"{screen}-{fmt}"
                folder.mkdir()
                reg_add("Divers", "Path", "Z:" + str(folder).replace("/", "\\"))
                for n in range(ROUNDS):
                    tools = list(peers(folder, fmt, n).items())
                    tools = tools[n % 3:] + tools[:n % 3]   # a different order each round
                    for tool, command in [("vistrel", None)] + tools:
                        if command is not None:
                            result = timed(command, command[-1])
                        else:
                            result = shot(folder, fmt, n, times_file, breakdown, (screen, fmt))
                        results.setdefault((tool, screen, fmt), []).append(result)
    finally:
        program.stop()
    report(results, breakdown)
    two_monitors(screens["photo"], work / "two", times_file)


def shot(folder, fmt, n, times_file, breakdown, key):
    target = folder / (f"Vistrel.{fmt}" if n == 0 else f"Vistrel{n}.{fmt}")
    before = len(stamps(times_file))
    # The key goes to the program's tray window, which takes the focus first.
    subprocess.run(["xdotool", "mousemove", "5", "1075"], check=True)
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Wine System Tray"],
                         capture_output=True, text=True).stdout.split()
    if ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]], check=False, timeout=10)
    pressed = time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000
    start = time.monotonic()
    subprocess.run(["xdotool", "key", "Print"], check=True)
    wait_file(target)
    seconds = time.monotonic() - start
    # The walk ends after the file; with every page hidden the wizard's close
    # timer then hides the window the shell showed. Only then is the program
    # idle again: the peers must not capture that window, and the next key
    # press must not wait behind the close (under Wine without a window manager
    # hiding a shown window waits two seconds for the manager's answer).
    wait_until(lambda: any(name == "closed" for name, _ in stamps(times_file)[before:]), 60,
               interval=0.01, what="the wizard's close timer")
    new = dict(stamps(times_file)[before:])
    previous = pressed
    stages = breakdown.setdefault(key, {})
    for name, _ in STAGES:
        if name in new:
            stages.setdefault(name, []).append(new[name] - previous)
            previous = new[name]
    return seconds, target.stat().st_size


def report(results, breakdown):
    print(f"{'tool':<12} {'screen':<8} {'format':<6} {'median ms':>10} {'size':>10}")
    medians = {}
    for (tool, screen, fmt), runs in sorted(results.items(), key=lambda i: (i[0][1], i[0][2], i[0][0])):
        t = statistics.median(r[0] for r in runs)
        size = statistics.median(r[1] for r in runs)
        medians[(tool, screen, fmt)] = (t, size)
        print(f"{tool:<12} {screen:<8} {fmt:<6} {t * 1000:>10.0f} {size:>10.0f}")
    print("\nVistrel by stage (median ms):")
    for (screen, fmt), stages in breakdown.items():
        parts = [f"{label} {statistics.median(stages[name]):.0f}"
                 for name, label in STAGES if name in stages]
        print(f"  {screen} {fmt}: " + ", ".join(parts))
    print()
    png = [medians[(t, "photo", "png")] for t in ("vistrel", "scrot", "imagemagick")]
    jpg = [medians[(t, "photo", "jpg")] for t in ("vistrel", "scrot")]
    # Rows for bench/all's table, then the two closing lines.
    for fmt, (v, s) in (("png", png[:2]), ("jpg", jpg)):
        print(f"bench-row: Print Screen to {fmt} file, photo | {v[0] * 1000:.0f} ms | "
              f"scrot {s[0] * 1000:.0f} ms | {v[0] / s[0]:.2f} | <= 1.0")
    v, i = png[0], png[2]
    print(f"bench-row: png size, photo | {v[1]:.0f} B | import {i[1]:.0f} B | {v[1] / i[1]:.3f} | <= 1.0")
    v, s, i = png
    print(f"png: vistrel/scrot {v[0] / s[0]:.2f} size vistrel/imagemagick {v[1] / i[1]:.3f}")
    v, s = jpg
    print(f"jpg: vistrel/scrot {v[0] / s[0]:.2f}")


class PeakPrivate:
    """The highest private (anonymous) memory of a process, sampled every 2 ms;
    the samples are kept with their time (the clock of the program's stage
    stamps), so that the peak can be put down to a stage."""

    def __init__(self, pid):
        self.pid, self.peak, self.running = pid, 0, True
        self.samples = []  # (ms, bytes)
        self.thread = threading.Thread(target=self.sample, daemon=True)
        self.thread.start()

    def now(self):
        try:
            for line in Path(f"/proc/{self.pid}/status").read_text().splitlines():
                if line.startswith("RssAnon:"):
                    return int(line.split()[1]) * 1024
        except OSError:
            pass
        return 0

    def sample(self):
        while self.running:
            value = self.now()
            self.samples.append((time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000, value))
            self.peak = max(self.peak, value)
            time.sleep(0.002)

    def highest(self, start, end):
        return max((v for t, v in self.samples if start <= t < end), default=0)

    def stop(self):
        self.running = False
        self.thread.join()
        return self.peak


def two_monitors(picture, work, times_file):
    """3200x1080 over two monitors to png: Xephyr inside the display shows Wine a
    1280x1024 and a 1920x1080 monitor (Wine sees both only without its XRandR path).
    Vistrel against scrot on the same display, and Vistrel's peak private memory
    during the shots against frames of the virtual screen."""
    if shutil.which("Xephyr") is None:
        print("two monitors: Xephyr is not installed, case skipped")
        return
    work.mkdir()
    outer = os.environ["DISPLAY"]
    number = 60 + os.getpid() % 30
    while os.path.exists(f"/tmp/.X11-unix/X{number}"):
        number += 1
    xephyr = subprocess.Popen(["Xephyr", f":{number}", "+xinerama", "-ac", "-screen", "1280x1024",
                               "-screen", "1920x1080"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_until(lambda: os.path.exists(f"/tmp/.X11-unix/X{number}"), what="Xephyr")
    driver_key = r"HKCU\Software\Wine\X11 Driver"
    wine_run(["reg", "add", driver_key, "/v", "UseXRandR", "/t", "REG_SZ", "/d", "N", "/f"])
    os.environ["DISPLAY"] = f":{number}"
    restart_wine()
    runs, peers_, shots, breakdown = [], [], [], {}
    program = None
    try:
        show(picture)
        straight_through(work, fmt=3)
        program = Program()
        wait_idle()
        idle = PeakPrivate(program.process.pid)
        time.sleep(0.5)
        baseline = idle.stop()
        memory = PeakPrivate(program.process.pid)
        for n in range(ROUNDS):
            before = len(stamps(times_file))
            runs.append(shot(work, "png", n, times_file, breakdown, "two"))
            shots.append(stamps(times_file)[before:])
            target = work / f"scrot{n}.png"
            peers_.append(timed(["scrot", "-o", str(target)], target))
        peak = memory.stop()
    finally:
        if program is not None:
            program.stop()
        wine_run(["reg", "delete", driver_key, "/v", "UseXRandR", "/f"])
        os.environ["DISPLAY"] = outer
        restart_wine()
        xephyr.terminate()
        xephyr.wait(10)
    v = statistics.median(r[0] for r in runs)
    s = statistics.median(r[0] for r in peers_)
    frame = 3200 * 1080 * 4
    print(f"bench-row: Print Screen to png file, two monitors 3200x1080 | {v * 1000:.0f} ms | "
          f"scrot {s * 1000:.0f} ms | {v / s:.2f} | <= 1.0")
    print(f"bench-row: peak private memory above idle, two monitors | {(peak - baseline) / 2**20:.1f} MiB"
          f" | 3 frames {3 * frame / 2**20:.1f} MiB | {(peak - baseline) / (3 * frame):.2f} | <= 1.0")
    print(f"two monitors: peak private memory {peak / 2**20:.1f} MiB, idle {baseline / 2**20:.1f} MiB")
    # Each stage's median time and its highest private memory above idle, over the shots.
    highest = {}
    for stages in shots:
        for (_, start), (name, end) in zip(stages, stages[1:]):
            value = memory.highest(start, end)
            highest[name] = max(highest.get(name, 0), value - baseline)
    parts = [f"{label} {statistics.median(breakdown['two'][name]):.0f} ms"
             f" {highest.get(name, 0) / 2**20:.1f} MiB"
             for name, label in STAGES if name in breakdown.get("two", {})]
    print("two monitors by stage (median ms, highest MiB above idle): " + ", ".join(parts))


if __name__ == "__main__":
    main()
