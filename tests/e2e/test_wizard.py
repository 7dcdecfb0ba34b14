"""The output wizard in the running program: the walk over its seven pages with
their titles and buttons, boxes that store their settings at once, hidden pages
left out of the next walk, and the settings as they land in the registry."""
import re
import subprocess

import pytest

from harness import driver, screenshot, wait_until, wine_run
from output_helpers import WIZARD, page_driver, wait_main_window

SETTINGS = r"HKCU\Software\VB and VBA Program Settings\Tarnwick Vistrel"
TITLE_ID = 2104  # the page title label
NEXT_ID = 2101
TITLES = ["You made a screen shot!", "Use Vistrel Editor/Autocropping", "Select Special Effects.",
          "Saving to File.", "Copy to Clipboard", "Email Screen-Shot", "Printing"]


def reg(*args):
    return wine_run(["reg", *args])


def stored(section, key):
    out = reg("query", f"{SETTINGS}\\{section}", "/v", key).stdout
    match = re.search(rf"^\s*{re.escape(key)}\s+REG_SZ\s*(.*?)\s*$", out, re.M)
    return match.group(1) if match else None


def store(section, key, value):
    reg("add", f"{SETTINGS}\\{section}", "/v", key, "/d", value, "/f")


@pytest.fixture(autouse=True)
def fresh_settings():
    reg("delete", SETTINGS, "/f")
    store("Divers", "NewbieTip", "False")
    yield
    reg("delete", SETTINGS, "/f")


def wizard_visible():
    """The wizard window is shown (the driver lists class, title and visibility)."""
    return any(parts[2] == WIZARD and parts[3] == "visible"
               for parts in (line.split("\t") for line in driver("list")[1].splitlines())
               if len(parts) == 4)


def title():
    return page_driver("gettext", WIZARD, TITLE_ID)[1]


def next_caption():
    return page_driver("gettext", WIZARD, NEXT_ID)[1]


def capture():
    """Print Screen reaches the hot key only while a Wine window has the X focus;
    the newest tray window is this program's."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Wine System Tray"],
                         capture_output=True, text=True).stdout.split()
    if ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]], check=False, timeout=10)
    subprocess.run(["xdotool", "key", "Print"], check=True)


def open_by_capture():
    wait_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                       "Wine System Tray"], capture_output=True).returncode == 0,
               30, what="the tray")
    for _ in range(4):
        capture()
        try:
            wait_until(wizard_visible, 8, what="the wizard after Print Screen")
            return
        except AssertionError:
            pass  # the key went to a window without the focus; press again
    wait_until(wizard_visible, 1, what="the wizard after Print Screen")


def press(caption):
    before = title()
    assert page_driver("click", WIZARD, caption)[0] == 0, f"no visible button {caption!r}"
    return before


def go_next(expected_title):
    press("&Next >")
    wait_until(lambda: title() == expected_title, 15, what=f"page {expected_title!r}")


def tick(caption):
    assert page_driver("check", WIZARD, caption, 1)[0] == 0, f"no box {caption!r}"


@pytest.fixture
def running(program):
    vistrel = program()
    wait_main_window()
    return vistrel


def test_the_walk_shows_every_page_in_order_and_minimize_ends_it(running):
    open_by_capture()
    assert title() == TITLES[0]
    assert next_caption() == "&Next >"
    screenshot("wizard-page0")
    for page in range(1, 7):
        go_next(TITLES[page])
        screenshot(f"wizard-page{page}")
    assert next_caption() == "&Minimize", "the last page ends the walk"
    # Back and forth keeps the place.
    press("< &Back")
    wait_until(lambda: title() == TITLES[5], 15, what="the mail page again")
    go_next(TITLES[6])
    press("&Minimize")
    wait_until(lambda: not wizard_visible(), 15, what="the wizard to hide")
    assert running.running(), "the walk's end keeps the program"
    # Every move saved the settings as the registry keeps them.
    for page in range(7):
        assert stored("Show", str(page)) == "0"
    for box in range(9):
        assert stored("Automate", str(box)) == "0"
    assert stored("Divers", "Name") == "Vistrel"
    assert stored("Divers", "Scaleing") == "100"
    assert stored("Divers", "Rotate") == "0"
    assert stored("Automate", "UseCropOrEdit") == "1"
    assert stored("Automate", "CropStyle") == "0"


def test_boxes_store_at_once_and_a_hidden_page_is_left_out_next_time(running):
    open_by_capture()
    for page in range(1, 5):
        go_next(TITLES[page])
    # Page 4: its first "Auto click" box is the copy action.
    tick("&Auto click")
    wait_until(lambda: stored("Automate", "5") == "1", 10, what="Automate 5 to be stored")
    tick("Do not show this dialog anymore.")
    wait_until(lambda: stored("Show", "4") == "1", 10, what="Show 4 to be stored")
    press("&Minimize")
    wait_until(lambda: not wizard_visible(), 15, what="the wizard to hide")

    open_by_capture()
    for page in (1, 2, 3):
        go_next(TITLES[page])
    go_next(TITLES[5])  # page 4 is passed by
    screenshot("wizard-page4-hidden")
    press("< &Back")
    wait_until(lambda: title() == TITLES[3], 15, what="Back to pass page 4 as well")
