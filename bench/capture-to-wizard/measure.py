"""Print Screen to a visible wizard, against xwd -root, interleaved, 10 rounds.

The wizard counts as visible when its X window is viewable; the program shows
it only after the capture went through the clipboard into the wizard's picture.
"""
import statistics
import subprocess
import sys
import time
from pathlib import Path

SETTINGS = r"HKCU\Software\VB and VBA Program Settings\Tarnwick Vistrel"
ROUNDS = 10


def run(*args, **kwargs):
    return subprocess.run(list(args), capture_output=True, text=True, stdin=subprocess.DEVNULL,
                          **kwargs)


def x_window(name):
    ids = run("xdotool", "search", "--name", f"^{name}$").stdout.split()
    return ids[0] if ids else None


def viewable(wid):
    return "IsViewable" in run("xwininfo", "-id", wid).stdout


def wait(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            sys.exit(f"timed out waiting for {what}")
        time.sleep(0.002)


def main(dist, driver):
    run("wine", "reg", "delete", SETTINGS, "/f")
    run("wine", "reg", "add", SETTINGS + r"\Divers", "/v", "NewbieTip", "/d", "False", "/f")
    dist = Path(dist).resolve()
    program = subprocess.Popen(["wine", str(dist / "vistrel.exe")], cwd=dist,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        wait(lambda: x_window("Wine System Tray"), 60, "the tray")
        tray = x_window("Wine System Tray")
        # The start-up window comes and goes; after it the program idles in the tray.
        if run("wine", driver, "wait", "VistrelSplashScreen", "-", "30000").returncode != 0:
            sys.exit("no start-up window")
        run("wine", driver, "gone", "VistrelSplashScreen", "-", "30000")
        shots, xwds = [], []
        for _ in range(ROUNDS):
            run("xdotool", "windowfocus", "--sync", tray)
            start = time.monotonic()
            run("xdotool", "key", "Print")
            wait(lambda: (w := x_window("Vistrel Wizard")) and viewable(w), 60, "the wizard")
            shots.append(time.monotonic() - start)
            run("wine", driver, "close", "-", "Vistrel Wizard")
            wait(lambda: not viewable(x_window("Vistrel Wizard")), 20, "the wizard to hide")

            start = time.monotonic()
            subprocess.run("xwd -root -silent > /dev/null", shell=True, check=True)
            xwds.append(time.monotonic() - start)
        ours, theirs = statistics.median(shots), statistics.median(xwds)
        print(f"Print Screen to wizard: median {ours * 1000:.0f} ms over {ROUNDS}")
        print(f"xwd -root:              median {theirs * 1000:.0f} ms over {ROUNDS}")
        print(f"ratio: {ours / theirs:.1f} x")
        print(f"bench-row: Print Screen to wizard | {ours * 1000:.0f} ms | xwd -root "
              f"{theirs * 1000:.0f} ms | {ours / theirs:.2f} | -")
    finally:
        run("wine", driver, "kill", "vistrel.exe")
        program.wait(30)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
