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

from harness import DRIVER, X11_DRIVER, driver, restart_wine, screenshot, wait_until, wine_run
from output_helpers import (WIZARD, make_pattern, page_driver, reg_add, straight_through,
                            wait_complete)

FIRST, SECOND = (1280, 1024), (1920, 1080)
GREY = (128, 128, 128)
PROBE_WINDOW = (2000, 400, 240, 160)  # x, y, w, h: on the second monitor only
RIGHT_PICTURE = (1400, 200)
ACROSS = (1250, 300, 1450, 400)  # left, top, right, bottom: over the border at x 1280
SELECTOR = "Autocropping Selector"
PROJEKTION, HSCROLL = 1013, 1014
SB_LINEUP = 0


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


def active_window_on_second_monitor(saved):
    """A frameless window in four colours on the second monitor has the keyboard
    when Print Screen is pressed; the saved crop is that window, pixel for pixel."""
    x, y, w, h = PROBE_WINDOW
    probe = subprocess.Popen(["wine", str(DRIVER.parent / "pattern_probe.exe"), "pattern",
                              *map(str, PROBE_WINDOW)], stdout=subprocess.PIPE,
                             stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, text=True)
    try:
        assert probe.stdout.readline().strip() == "ready"
        ids = subprocess.run(["xdotool", "search", "--name", "^Pattern probe$"],
                             capture_output=True, text=True).stdout.split()
        assert ids, "the probe's window"
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]], check=False, timeout=10)
        subprocess.run(["xdotool", "mousemove", str(x + 10), str(y + 10), "key", "Print"],
                       check=True)
        window = Image.open(wait_complete(saved)).convert("RGB")
    finally:
        probe.kill()
        probe.wait()
        driver("kill", "pattern_probe.exe")
    assert window.size == (w, h)
    quarters = {(0, 0): (255, 0, 0), (1, 0): (0, 255, 0), (0, 1): (0, 0, 255),
                (1, 1): (255, 255, 0)}
    wrong = sum(window.getpixel((px, py)) != quarters[(px >= w // 2, py >= h // 2)]
                for py in range(h) for px in range(w))
    assert wrong == 0, f"{wrong} pixels are not the window's"


def selector_view():
    """The selector's view as the screen shows it, and its top-left corner."""
    code, out = page_driver("where", SELECTOR, PROJEKTION)
    assert code == 0
    left, top, right, bottom = map(int, out.split())
    shot = Image.open(screenshot("two-monitors-selector")).convert("RGB")
    return shot.crop((left + 2, top + 2, right - 2, bottom - 2)), (left + 2, top + 2)


def pattern_column(view, pattern, top):
    """The view's column where `pattern`'s top row stands, searched in the rows
    from `top` down (the picture sits just inside the viewer's frame)."""
    row = list(pattern.crop((0, 0, pattern.width, 1)).getdata())
    for y in range(top, top + 12):
        line = list(view.crop((0, y, view.width, y + 1)).getdata())
        for x in range(view.width - len(row) + 1):
            if line[x] == row[0] and line[x:x + len(row)] == row:
                return x
    return None


def draw_across_the_border(saved, right_picture, picture_x):
    """Opens the selector from the cropping page; it shows the pointer's (second)
    monitor from its left edge. Scrolled left until some of the first monitor
    shows, the rectangle ACROSS is drawn at 100 %, handed back and saved."""
    wait_until(lambda: page_driver("shown", WIZARD, "Selected area...")[0] == 0, 30,
               what="the cropping page")
    assert page_driver("click", WIZARD, "Selected area...")[0] == 0
    assert driver("shown", "VistrelMainform", SELECTOR, 30000)[0] == 0
    assert page_driver("click", SELECTOR, "cursor selection")[0] == 0
    pattern = Image.open(right_picture).convert("RGB")
    column = None
    for _ in range(60):
        time.sleep(0.3)  # the scroll's repaint
        view, corner = selector_view()
        column = pattern_column(view, pattern, RIGHT_PICTURE[1])
        assert column is not None, "the second monitor's picture is not in the view"
        if column - (picture_x - ACROSS[0]) >= 10:
            break
        assert page_driver("scroll", SELECTOR, HSCROLL, SB_LINEUP)[0] == 0
    # Screen x of a capture x: the picture's column in the view stands for its
    # column in the capture.
    to_screen_x = corner[0] + column - picture_x
    x0, y0, x1, y1 = ACROSS
    assert x0 + to_screen_x >= corner[0] + 10, "the first monitor does not show"
    subprocess.run(["xdotool", "mousemove", str(x0 + to_screen_x), str(y0 + corner[1]),
                    "mousedown", "1", "mousemove", str((x0 + x1) // 2 + to_screen_x),
                    str((y0 + y1) // 2 + corner[1]), "mousemove", str(x1 + to_screen_x),
                    str(y1 + corner[1]), "mouseup", "1"], check=True)
    assert page_driver("click", SELECTOR, "&Back to Vistrel Wizard")[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, "Selected area...")[0] == 0, 30,
               what="the wizard again")
    assert page_driver("click", WIZARD, "&Next >")[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, "Sa&ve")[0] == 0, 30, what="the save page")
    assert page_driver("click", WIZARD, "Sa&ve")[0] == 0
    return Image.open(wait_complete(saved)).convert("RGB")


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

        # A window of the second monitor, active: "Active Window" crops exactly it.
        reg_add("Automate", "CropStyle", 0)
        reg_add("Divers", "Name", "Window")
        active_window_on_second_monitor(out / "Window.bmp")

        # A rectangle drawn in the selector across the monitors' border.
        reg_add("Show", 1, 0)  # the cropping page and the save page
        reg_add("Show", 3, 0)
        reg_add("Automate", "CropStyle", 2)
        reg_add("Divers", "Name", "Across")
        tray_focus_and_press_print(2000, 500)
        right = Image.open(patterns[1][0]).convert("RGB")
        picture_x = next(x for x in range(RIGHT_PICTURE[0], RIGHT_PICTURE[0] + 12)
                         if pattern_column(whole.crop((x, 0, x + right.width, whole.height)),
                                           right, RIGHT_PICTURE[1]) == 0)
        across = draw_across_the_border(out / "Across.bmp", patterns[1][0], picture_x)
        assert list(across.getdata()) == list(whole.crop(ACROSS).getdata())
        assert vistrel.running()
    finally:
        for *_, viewer in patterns:
            viewer.terminate()
