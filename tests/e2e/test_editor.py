"""The editor through the whole program: a capture with a known window on the
screen, the editor opened from the wizard's page 1, that window picked with the
window selector, filled white or cropped to, and the result saved as png and
checked with ImageMagick."""
import subprocess
import time

import pytest

from harness import DRIVER, driver, screenshot, wait_until
from output_helpers import (WIZARD, capture, identify, page_driver, reg_add, show_every_page,
                            wait_complete, wait_main_window)

HELPER = DRIVER.parent / "editor_e2e_helper.exe"
TARGET = (250, 110, 200, 120)  # left, top, width, height: inside the editor's first view
FILL_WHITE, CROP, BACK = 301, 203, 102
EDITOR = "Tarnwick Vistrel Editor (TM)"


def helper(*args):
    run = subprocess.run(["wine", str(HELPER), *map(str, args)], capture_output=True, text=True,
                         timeout=60, stdin=subprocess.DEVNULL)
    return run.returncode, run.stdout.strip()


@pytest.fixture
def scene(tmp_path, program):
    out = tmp_path / "out"
    out.mkdir()
    subprocess.run(["wine", "reg", "delete", r"HKCU\Software\Tarnwick\Vistrel\VistrelEditor",
                    "/f"], capture_output=True, stdin=subprocess.DEVNULL)
    show_every_page(out, fmt=3)  # png
    reg_add("Automate", "UseCropOrEdit", 0)
    target = subprocess.Popen(["wine", str(HELPER), "target", *map(str, TARGET)], stdout=subprocess.PIPE,
                              stdin=subprocess.DEVNULL, text=True)
    assert target.stdout.readline().strip() == "ready"
    program()
    wait_main_window()
    yield out, tmp_path
    target.terminate()
    target.wait(10)
    driver("kill", "editor_e2e_helper.exe")  # Wine may keep the process past its loader


def step(way, until):
    """One click on the wizard's `way` button, then the page that shows `until`.
    Clicking again before the page has changed would skip a page."""
    assert page_driver("click", WIZARD, way)[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, until)[0] == 0, timeout=40, interval=0.5,
               what=f"the page with {until}")


def open_editor(back=False):
    if back:  # from the save page: effects, then the editor's page
        step("< &Back", "&Preview...")
        step("< &Back", "&Vistrel Editor")
    elif page_driver("shown", WIZARD, "&Vistrel Editor")[0] != 0:
        step("&Next >", "&Vistrel Editor")
    assert page_driver("click", WIZARD, "&Vistrel Editor")[0] == 0
    wait_until(lambda: helper("info")[0] == 0, timeout=30, what="the editor")


def back_and_save(out, name):
    assert helper("command", BACK)[0] == 0
    wait_until(lambda: helper("info")[0] != 0, timeout=30, what="the editor to close")
    step("&Next >", "&Preview...")
    step("&Next >", "Sa&ve")
    assert page_driver("click", WIZARD, "Sa&ve")[0] == 0
    saved = wait_complete(out / "Vistrel.png")
    kept = saved.rename(out / f"{name}.png")
    return kept


def white_fraction(path, left, top, width, height):
    return float(subprocess.run(
        ["convert", f"{path}[0]", "-crop", f"{width}x{height}+{left}+{top}", "+repage",
         "-colorspace", "Gray", "-format", "%[fx:minima]", "info:"],
        capture_output=True, text=True, check=True).stdout)


def test_fill_a_picked_window_white_then_crop_to_it(scene):
    out, work = scene
    left, top, width, height = TARGET
    subprocess.run(["xdotool", "mousemove", "5", "1075"], check=True)
    time.sleep(0.5)
    before = work / "screen.png"
    subprocess.run(f"xwd -root -silent | convert xwd:- PNG24:{before}", shell=True, check=True)
    capture()
    wait_until(lambda: page_driver("shown", WIZARD, "&Next >")[0] == 0, timeout=30,
               what="the wizard")
    open_editor()
    centre = (left + width // 2, top + height // 2)
    assert helper("click", *centre)[0] == 0
    screenshot("editor-selection")
    assert helper("info")[1] == "Windowname: Editor target"
    assert helper("command", FILL_WHITE)[0] == 0
    filled = back_and_save(out, "filled")

    assert identify(filled)[:2] == identify(before)[:2]
    assert white_fraction(filled, *[left, top, width, height]) == 1.0
    # Everything else is the capture: the screen with the window painted white.
    expected = work / "expected.png"
    subprocess.run(["convert", str(before), "-fill", "white", "-draw",
                    f"rectangle {left},{top},{left + width - 1},{top + height - 1}",
                    f"PNG24:{expected}"], check=True)
    run = subprocess.run(["compare", "-metric", "AE", f"{filled}[0]", str(expected), "null:"],
                         capture_output=True, text=True)
    assert float(run.stderr.split()[0]) == 0

    open_editor(back=True)
    assert helper("click", *centre)[0] == 0
    assert helper("command", CROP)[0] == 0
    cropped = back_and_save(out, "cropped")
    assert identify(cropped)[:2] == (width, height)
    assert white_fraction(cropped, 0, 0, width, height) < 1.0  # the capture again, not the fill
