"""The command line for scripts and the delayed capture: each capture form writes
the picture shown on the screen (with and without the program running), the
running program takes commands one after another and refuses one while it counts
down, bad input is refused with its status and message and nothing written, and
the count-down stays out of the picture of an open menu.
The open-menu case is in test_window_menu_capture.py."""
import re
import subprocess
import time

import pytest
from PIL import Image

from harness import DIST, DRIVER, Program, driver, wait_until, wine_run
from output_helpers import capture, straight_through, wait_complete, wine_path
from test_handoffs import explorers
from test_shell import (hide_wizard, open_tray_menu, press_print_screen, tray_icon, visible,
                        wizard_shown)

pytestmark = pytest.mark.managed_windows

PATTERN = (300, 200, 240, 160)  # x, y, width, height on the screen
RED, GREEN, BLUE, YELLOW = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)
SCREEN = (1920, 1080)
COUNTDOWN = "VistrelCountdown"
WM_COMMAND, MENU_DELAY_3, MENU_DELAY_10 = 0x111, 1105, 1107
WINE_NOISE = re.compile(r"^[0-9a-f]{4}:(fixme|err|warn|trace):")


def vistrel(*args, cwd=None, timeout=90):
    """Runs a command; returns (status, output, message) without Wine's own lines."""
    run = wine_run([DIST / "vistrel.exe", *map(str, args)], timeout=timeout, cwd=cwd)
    message = "\n".join(line for line in run.stderr.splitlines()
                        if line.strip() and not WINE_NOISE.match(line))
    return run.returncode, run.stdout.strip(), message.strip()


def close(a, b, tolerance=0):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def assert_pattern(path, at=(0, 0), size=PATTERN[2:], tolerance=0):
    """The picture holds the pattern at `at`, its four quarters exactly to the pixel's edge."""
    picture = Image.open(path).convert("RGB")
    assert picture.size == tuple(size), f"{path.name} is {picture.size}"
    x, y = at
    w, h = PATTERN[2:]
    inset = 3 if tolerance else 0  # a JPEG blurs the edges
    for (px, py), colour in (((x + inset, y + inset), RED), ((x + w - 1 - inset, y + inset), GREEN),
                             ((x + inset, y + h - 1 - inset), BLUE),
                             ((x + w - 1 - inset, y + h - 1 - inset), YELLOW)):
        got = picture.getpixel((px, py))
        assert close(got, colour, tolerance), f"{path.name} at {px},{py}: {got}, not {colour}"


@pytest.fixture(scope="module")
def pattern():
    probe = subprocess.Popen(["wine", str(DRIVER.parent / "pattern_probe.exe"), "pattern",
                              *map(str, PATTERN)], stdout=subprocess.PIPE,
                             stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, text=True)
    assert probe.stdout.readline().strip() == "ready"
    yield
    probe.kill()
    probe.wait()
    driver("kill", "pattern_probe.exe")


def to_front(title):
    ids = subprocess.run(["xdotool", "search", "--name", title], capture_output=True,
                         text=True).stdout.split()
    for wid in ids:
        subprocess.run(["xdotool", "windowactivate", "--sync", wid], check=False, timeout=10)


def test_without_the_program_the_command_captures_itself(pattern, tmp_path):
    status, usage, _ = vistrel("--help")
    assert status == 0 and usage.startswith("Usage: vistrel capture [full | window | monitor")
    x, y, w, h = PATTERN
    # A relative name is the command's own folder's, whoever writes it.
    status, out, message = vistrel("capture", f"{x},{y},{w},{h}", "--out", "rect.bmp",
                                   cwd=tmp_path)
    assert (status, message) == (0, ""), message
    assert out == wine_path(tmp_path / "rect.bmp")
    assert_pattern(tmp_path / "rect.bmp")
    assert "\tVistrelMainform\t" not in driver("list")[1], "the command left no program behind"


@pytest.fixture(scope="module")
def running(pattern):
    """The program, started once for the tests that hand it commands."""
    subprocess.run(["wine", "reg", "add",
                    r"HKCU\Software\VB and VBA Program Settings\Tarnwick Vistrel\Divers", "/v",
                    "NewbieTip", "/d", "False", "/f"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    program = Program()
    wait_until(lambda: tray_icon(), 30, what="the tray icon")
    wait_until(lambda: not visible("VistrelSplashScreen"), 15, what="the start-up window to close")
    yield program
    program.stop()


def test_the_running_program_takes_each_form_one_after_another(running, tmp_path):
    x, y, w, h = PATTERN
    folder = wine_path(tmp_path)
    status, out, message = vistrel("capture", f"{x},{y},{w},{h}", "--out", f"{folder}\\r.png",
                                   "--clipboard")
    assert (status, message) == (0, ""), message
    assert out == f"{folder}\\r.png (and on the clipboard)"
    assert_pattern(tmp_path / "r.png")
    assert wine_run([DRIVER.parent / "handoff_probe.exe", "clip",
                     wine_path(tmp_path / "clip.bmp")]).returncode == 0
    assert_pattern(tmp_path / "clip.bmp")

    # A folder gets the automatic name, in the format asked for.
    status, out, message = vistrel("capture", "full", "--out", folder, "--format", "tif")
    assert (status, out, message) == (0, f"{folder}\\Vistrel.tif", ""), message
    assert_pattern(tmp_path / "Vistrel.tif", at=(x, y), size=SCREEN)

    subprocess.run(["xdotool", "mousemove", "900", "500"], check=True)
    status, _, message = vistrel("capture", "monitor", "--out", f"{folder}\\m.bmp")
    assert status == 0, message
    assert_pattern(tmp_path / "m.bmp", at=(x, y), size=SCREEN)

    to_front("Pattern probe")
    status, _, message = vistrel("capture", "window", "--out", f"{folder}\\w.jpg")
    assert status == 0, message
    assert_pattern(tmp_path / "w.jpg", tolerance=40)
    assert running.running() and not wizard_shown(), "commands leave the wizard closed"
    # --wizard opens the wizard on the capture, as Print Screen does, and says so.
    status, out, message = vistrel("capture", "--wizard")
    assert (status, out, message) == (0, "The wizard is open on the capture.", ""), message
    assert wizard_shown()
    hide_wizard()


def test_bad_input_is_refused_with_its_status_and_message(running, tmp_path):
    folder = wine_path(tmp_path)
    cases = [
        (("capture",), 2, "Nothing to do: give --out FILE, --clipboard or --wizard."),
        (("capture", "screen", "--clipboard"), 2, 'Unknown word "screen" after capture.'),
        (("capture", "1900,1000,100,100", "--out", f"{folder}\\a.bmp"), 2,
         "The rectangle 1900,1000,100,100 reaches outside the screen (0,0,1920,1080)."),
        (("capture", "10,10,0,10", "--out", f"{folder}\\a.bmp"), 2, "The rectangle 10,10,0,10"),
        (("capture", "--delay", "-2", "--out", f"{folder}\\a.bmp"), 2,
         "The delay cannot be negative: -2 seconds."),
        (("capture", "--out", f"{folder}\\gone\\a.png"), 2,
         f'The folder "{folder}\\gone" does not exist; nothing was written.'),
        (("capture", "--out", f"{folder}\\a.gif"), 2, 'The file\'s extension ".gif" names no'),
        (("capture", "--out", f"{folder}\\bad?name.bmp"), 1,
         f'Could not write "{folder}\\bad?name.bmp"; nothing was written.'),
    ]
    for args, want_status, want_message in cases:
        status, out, message = vistrel(*args)
        assert status == want_status, (args, message)
        assert message.startswith(want_message), (args, message)
        assert len(message.splitlines()) == 1 and out == "", args
    assert list(tmp_path.iterdir()) == [], "nothing was written"
    assert running.running()


def countdowns():
    rows = [line.split("\t") for line in driver("list")[1].splitlines()]
    return [row for row in rows if len(row) == 4 and row[1] == COUNTDOWN and row[3] == "visible"]


def test_delayed_capture_from_the_tray(running, tmp_path):
    # One count-down at a time: the second choice is not a second one.
    driver("post", "VistrelMainform", "-", WM_COMMAND, MENU_DELAY_10, 0)
    driver("post", "VistrelMainform", "-", WM_COMMAND, MENU_DELAY_10, 0)
    wait_until(countdowns, 10, what="the count-down")
    time.sleep(0.5)
    assert len(countdowns()) == 1
    # A command meanwhile is refused, not run twice over the count-down.
    status, _, message = vistrel("capture", "--out", wine_path(tmp_path / "busy.bmp"))
    assert status == 1 and message.startswith("Vistrel is busy with another capture"), message
    # Escape cancels wherever the keyboard is (here another program's window,
    # since keys reach Wine only through a window with the X focus): no capture follows.
    _, _, wid = tray_icon()
    subprocess.run(["xdotool", "windowfocus", "--sync", wid], check=False, timeout=10)
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    wait_until(lambda: not countdowns(), 5, what="Escape to cancel the count-down")
    # So does a click on the count-down.
    driver("post", "VistrelMainform", "-", WM_COMMAND, MENU_DELAY_10, 0)
    wait_until(countdowns, 10, what="the count-down")
    left, top, right, bottom = map(int, driver("rect", COUNTDOWN, "-")[1].split())
    subprocess.run(["xdotool", "mousemove", str((left + right) // 2), str((top + bottom) // 2),
                    "click", "1"], check=True)
    wait_until(lambda: not countdowns(), 5, what="a click to cancel the count-down")
    time.sleep(1)
    assert not wizard_shown()
    # Print Screen during the count-down captures at once and ends it.
    driver("post", "VistrelMainform", "-", WM_COMMAND, MENU_DELAY_10, 0)
    wait_until(countdowns, 10, what="the count-down")
    started = time.monotonic()
    press_print_screen()
    wait_until(wizard_shown, 8, what="the wizard after Print Screen")
    assert time.monotonic() - started < 8 and not countdowns()
    hide_wizard()


def stored_recent():
    """The stored list as (time, path) pairs, newest first."""
    out = wine_run(["reg", "query",
                    r"HKCU\Software\VB and VBA Program Settings\Tarnwick Vistrel\Divers", "/v",
                    "RecentCaptures"]).stdout
    match = re.search(r"RecentCaptures\s+REG_SZ\s*(.*?)\s*$", out, re.M)
    entries = match.group(1).split("|") if match else []
    return [entry.split(">")[1] for entry in entries if ">" in entry]


@pytest.fixture
def pcx_opener(tmp_path):
    """The hand-off probe as the program that opens .pcx files; it writes what it got."""
    folder = tmp_path / "opener"
    folder.mkdir()
    exe = folder / "handoff_probe.exe"
    exe.write_bytes((DRIVER.parent / "handoff_probe.exe").read_bytes())
    wine_run(["reg", "add", r"HKCR\.pcx", "/ve", "/d", "VistrelRecentProbe", "/f"])
    wine_run(["reg", "add", r"HKCR\VistrelRecentProbe\shell\open\command", "/ve", "/d",
              f'"{wine_path(exe)}" "%1"', "/f"])
    yield folder / "opened.txt"
    wine_run(["reg", "delete", r"HKCR\.pcx", "/f"])
    wine_run(["reg", "delete", r"HKCR\VistrelRecentProbe", "/f"])


def test_recent_captures_list_open_and_drop_gone_files(running, tmp_path, pcx_opener):
    shots = tmp_path / "shots"
    shots.mkdir()
    # The wizard's save, run straight through by Print Screen, then two by commands.
    straight_through(shots)
    capture()
    wait_complete(shots / "Vistrel.bmp")
    wait_until(lambda: stored_recent() == [wine_path(shots / "Vistrel.bmp")], 10,
               what="the wizard's save to be listed")
    names = ["Vistrel.bmp", "two.png", "three.pcx"]
    for name in names[1:]:
        assert vistrel("capture", "0,0,40,30", "--out", wine_path(shots / name))[0] == 0
    assert stored_recent() == [wine_path(shots / n) for n in reversed(names)]
    # A file deleted outside the program leaves the list when the menu opens.
    (shots / "two.png").unlink()
    open_tray_menu()
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    wait_until(lambda: stored_recent() == [wine_path(shots / "three.pcx"),
                                           wine_path(shots / "Vistrel.bmp")],
               10, what="the gone file to leave the list")
    # Choosing the newest entry opens it with the program registered for it.
    driver("post", "VistrelMainform", "-", WM_COMMAND, 1120, 0)
    wait_until(pcx_opener.exists, 20, what="the registered program to start")
    assert wine_path(shots / "three.pcx") in pcx_opener.read_text(errors="replace")
    # "Show in folder" starts the explorer with the file selected.
    before = set(explorers())
    driver("post", "VistrelMainform", "-", WM_COMMAND, 1141, 0)
    started = wait_until(lambda: [line for pid, line in explorers().items()
                                  if pid not in before and "/select" in line], 20,
                         what="the explorer to start")
    assert "Vistrel.bmp" in started[0]
    for pid in set(explorers()) - before:
        subprocess.run(["kill", str(pid)], check=False)
