"""Two monitors: Xephyr inside the virtual display shows Wine a 1280x1024 monitor
and a 1920x1080 one right of it (Wine sees them only without its XRandR path).
One program start: a picture on each monitor comes out pixel-exact in a full
capture, the strip under the lower monitor is one grey, and the crop to the
pointer's monitor is exactly that monitor."""
import os
import shutil
import subprocess
import time

import pytest
from PIL import Image

from harness import restart_wine, wait_until, wine_run
from output_helpers import make_pattern, reg_add, straight_through, wait_complete

X11_DRIVER = r"HKCU\Software\Wine\X11 Driver"
FIRST, SECOND = (1280, 1024), (1920, 1080)
GREY = (128, 128, 128)


def tray_focus_and_press_print(x, y):
    """The key reaches the hot key only while a Wine window has the X focus."""
    tray = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Wine System Tray"],
                          capture_output=True, text=True).stdout.split()
    if tray:
        subprocess.run(["xdotool", "windowfocus", "--sync", tray[-1]], check=False, timeout=10)
    subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
    subprocess.run(["xdotool", "key", "Print"], check=True)


def found_at(picture, pattern, x, y):
    """Whether `pattern` stands pixel for pixel in `picture` at x,y or just inside
    the viewer's frame there."""
    wanted = list(pattern.getdata())
    for dy in range(12):
        for dx in range(12):
            if picture.getpixel((x + dx, y + dy)) != wanted[0]:
                continue
            box = (x + dx, y + dy, x + dx + pattern.width, y + dy + pattern.height)
            if list(picture.crop(box).getdata()) == wanted:
                return True
    return False


@pytest.fixture(scope="module")
def two_monitors():
    if shutil.which("Xephyr") is None:
        pytest.skip("Xephyr is not installed")
    outer = os.environ["DISPLAY"]
    number = 50 + os.getpid() % 40
    while os.path.exists(f"/tmp/.X11-unix/X{number}"):
        number += 1
    xephyr = subprocess.Popen(["Xephyr", f":{number}", "+xinerama", "-ac", "-screen",
                               "{}x{}".format(*FIRST), "-screen", "{}x{}".format(*SECOND)],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    wait_until(lambda: os.path.exists(f"/tmp/.X11-unix/X{number}"), what="Xephyr")
    # Wine reads the value when its session starts, and a session belongs to one
    # display: it starts again on the inner one, after the value is in place.
    wine_run(["reg", "add", X11_DRIVER, "/v", "UseXRandR", "/t", "REG_SZ", "/d", "N", "/f"])
    os.environ["DISPLAY"] = f":{number}"
    restart_wine()
    try:
        yield
    finally:
        wine_run(["reg", "delete", X11_DRIVER, "/v", "UseXRandR", "/f"])
        os.environ["DISPLAY"] = outer
        restart_wine()
        xephyr.terminate()
        xephyr.wait(10)


def test_full_capture_and_the_pointers_monitor(two_monitors, program, tmp_path):
    patterns = []
    for name, x, y in (("left", 100, 100), ("right", 1400, 200)):
        path = tmp_path / f"{name}.png"
        make_pattern(path, 300, 200)
        # No window manager on the inner display: the picture stands where it is put.
        patterns.append((path, x, y, subprocess.Popen(
            ["display", "-geometry", f"+{x}+{y}", "-title", f"two-{name}", str(path)],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)))
    out = tmp_path / "out"
    out.mkdir()
    straight_through(out)
    try:
        for name in ("left", "right"):
            wait_until(lambda: subprocess.run(["xdotool", "search", "--name", f"two-{name}"],
                                              capture_output=True).returncode == 0,
                       what=f"the {name} picture")
        vistrel = program()
        wait_until(lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "Wine System Tray"],
            capture_output=True).returncode == 0, timeout=60, what="the tray")
        time.sleep(1)  # the program's tray icon settles in the tray window

        tray_focus_and_press_print(2000, 500)
        whole = Image.open(wait_complete(out / "Vistrel.bmp")).convert("RGB")
        assert whole.size == (FIRST[0] + SECOND[0], SECOND[1])
        for path, x, y, _ in patterns:
            assert found_at(whole, Image.open(path).convert("RGB"), x, y), path
        gap = whole.crop((0, FIRST[1], FIRST[0], SECOND[1]))
        assert gap.getcolors() == [(FIRST[0] * (SECOND[1] - FIRST[1]), GREY)]

        # The monitor the pointer is on at the moment of the capture.
        reg_add("Automate", "CropStyle", 3)
        reg_add("Divers", "Name", "Monitor")
        tray_focus_and_press_print(2000, 500)
        monitor = Image.open(wait_complete(out / "Monitor.bmp")).convert("RGB")
        assert monitor.size == SECOND
        assert list(monitor.getdata()) == list(
            whole.crop((FIRST[0], 0, FIRST[0] + SECOND[0], SECOND[1])).getdata())
        assert vistrel.running()
    finally:
        for *_, viewer in patterns:
            viewer.terminate()
