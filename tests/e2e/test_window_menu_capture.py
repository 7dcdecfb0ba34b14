"""A delayed capture of an open menu: the menu is in the picture, the count-down
is not. It runs apart from the other command-line tests, late: after it (a
program killed with its menu just used) Wine's editor in a later program found
no window under the messages that pick one, for a cause not yet found."""
import subprocess

from PIL import Image, ImageChops

from harness import DIST, DRIVER, driver, screenshot, wait_until
from output_helpers import wine_path
from test_command_line import COUNTDOWN, countdowns, pattern, running  # noqa: F401 (fixtures)


def test_an_open_menu_is_captured_and_the_countdown_is_not(running, tmp_path):
    subprocess.run(["xdotool", "mousemove", "1300", "700"], check=True)
    command = subprocess.Popen(["wine", str(DIST / "vistrel.exe"), "capture", "--delay", "4",
                                "--out", wine_path(tmp_path / "menu.png")],
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    probe = subprocess.Popen(["wine", str(DRIVER.parent / "paint_probe.exe"), "menu"],
                             stdout=subprocess.PIPE, stdin=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, text=True)
    try:
        wait_until(countdowns, 15, what="the count-down")
        code, rect = driver("rect", COUNTDOWN, "-")
        countdown_box = tuple(int(v) for v in rect.split())
        line = probe.stdout.readline().split()
        assert line[0] == "arrow"
        subprocess.run(["xdotool", "mousemove", line[1], line[2], "click", "1"], check=True)
        code, shown = driver("shown", "#32768", "-", "5000")
        assert code == 0, "the probe's menu opened"
        menu_box = tuple(int(v) for v in shown.split())
        assert command.wait(30) == 0
        live = Image.open(screenshot("command-line-menu")).convert("RGB")
        captured = Image.open(tmp_path / "menu.png").convert("RGB")
        # While the menu is still open the screen and the capture agree where it is,
        # and where the count-down was: it was gone before the screen was read.
        for what, box in (("the menu", menu_box), ("the count-down's place", countdown_box)):
            diff = ImageChops.difference(live.crop(box), captured.crop(box)).getbbox()
            assert diff is None, f"{what} differs in the capture at {diff}"
    finally:
        probe.kill()
        command.kill()
        driver("kill", "paint_probe.exe")
