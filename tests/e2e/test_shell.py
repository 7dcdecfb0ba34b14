"""The program a user meets: start-up into the tray, the start-up window and the
first-use tip, the three capture triggers, the tray menu, a second start, and a
capture that runs straight through and ends the program."""
import re
import subprocess
import time

import pytest

from harness import driver, screenshot, wait_until, wine_run

pytestmark = pytest.mark.managed_windows

SETTINGS = r"HKCU\Software\VB and VBA Program Settings\Tarnwick Vistrel"
TRAY = "Wine System Tray"
WIZARD_TITLE = "Vistrel Wizard"


def reg(*args):
    return wine_run(["reg", *args])


def set_setting(section, key, value):
    reg("add", f"{SETTINGS}\\{section}", "/v", key, "/d", value, "/f")


def get_setting(section, key):
    out = reg("query", f"{SETTINGS}\\{section}", "/v", key).stdout
    match = re.search(rf"^\s*{re.escape(key)}\s+REG_SZ\s*(.*?)\s*$", out, re.M)
    return match.group(1) if match else None


@pytest.fixture(autouse=True)
def fresh_settings():
    """Every test starts from no stored settings and leaves none behind."""
    reg("delete", SETTINGS, "/f")
    yield
    reg("delete", SETTINGS, "/f")


def windows():
    """(class, title, visible) of every top-level window."""
    rows = []
    for line in driver("list")[1].splitlines():
        parts = line.split("\t")
        if len(parts) == 4:
            rows.append((parts[1], parts[2], parts[3] == "visible"))
    return rows


def visible(cls=None, title=None):
    return any(v and (cls is None or c == cls) and (title is None or t == title)
               for c, t, v in windows())


def quiet_start(program, *args):
    """Starts the program with the first-use tip switched off and waits for the tray."""
    set_setting("Divers", "NewbieTip", "False")
    vistrel = program(*args)
    wait_until(lambda: tray_icon(), 30, what="the tray icon")
    wait_until(lambda: not visible("VistrelSplashScreen"), 15, what="the start-up window to close")
    return vistrel


def tray_icon():
    """Screen position of the first icon in Wine's tray window, or None."""
    ids = subprocess.run(["xdotool", "search", "--name", TRAY], capture_output=True,
                         text=True).stdout.split()
    for wid in ids:
        geo = subprocess.run(["xdotool", "getwindowgeometry", wid], capture_output=True,
                             text=True).stdout
        pos = re.search(r"Position: (-?\d+),(-?\d+)", geo)
        size = re.search(r"Geometry: (\d+)x(\d+)", geo)
        if pos and size and int(size.group(1)) > 1 and visible(title=TRAY):
            return int(pos.group(1)) + 10, int(pos.group(2)) + 10, wid
    return None


def purge_stale_icons():
    """Icons of programs that were killed stay in Wine's tray until the pointer
    passes over them; pass over every slot so that ours comes first."""
    ids = subprocess.run(["xdotool", "search", "--name", TRAY], capture_output=True,
                         text=True).stdout.split()
    for wid in ids:
        geo = subprocess.run(["xdotool", "getwindowgeometry", wid], capture_output=True,
                             text=True).stdout
        pos = re.search(r"Position: (-?\d+),(-?\d+)", geo)
        size = re.search(r"Geometry: (\d+)x(\d+)", geo)
        if not (pos and size):
            continue
        x0, y0, width = int(pos.group(1)), int(pos.group(2)), int(size.group(1))
        for x in range(x0 + width - 4, x0, -6):
            subprocess.run(["xdotool", "mousemove", str(x), str(y0 + 10)], check=False)
            time.sleep(0.01)
    time.sleep(0.3)


def double_click_icon():
    purge_stale_icons()
    x, y, _ = tray_icon()
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", "2",
                    "--delay", "60", "1"], check=True)


# Item centres below and right of the pop-up point (the menu opens at the pointer).
MENU_ITEMS = {"make": 11, "edit": 55, "setup": 74, "end": 114}


def open_tray_menu():
    purge_stale_icons()
    x, y, _ = tray_icon()
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "3"], check=True)
    wait_until(lambda: visible("#32768"), 10, what="the tray menu")
    return x, y


def choose(item):
    x, y = open_tray_menu()
    if item == "screenshot":
        return
    subprocess.run(["xdotool", "mousemove", str(x + 30), str(y + MENU_ITEMS[item]), "click", "1"],
                   check=True)


def press_print_screen():
    """Print Screen reaches the hot key only while a Wine window has the X focus."""
    _, _, wid = tray_icon()
    subprocess.run(["xdotool", "windowfocus", "--sync", wid], check=False, timeout=10)
    subprocess.run(["xdotool", "key", "Print"], check=True)


def wizard_shown():
    return visible(title=WIZARD_TITLE)


def hide_wizard():
    driver("close", "-", WIZARD_TITLE)
    wait_until(lambda: not wizard_shown(), 10, what="the wizard to hide")


def test_starts_into_the_tray_with_the_splash_and_the_tip(program):
    program()
    wait_until(lambda: tray_icon(), 30, what="the tray icon")
    code, _ = driver("wait", "VistrelSplashScreen", "-", 20000)
    assert code == 0, "no start-up window"
    shown_at = time.monotonic()
    screenshot("shell-splash")
    wait_until(lambda: not visible("VistrelSplashScreen"), 15, interval=0.05,
               what="the start-up window to close")
    seconds = time.monotonic() - shown_at
    assert 3.0 <= seconds <= 6.5, f"the start-up window stayed {seconds:.1f} s"
    # The first-use tip; "No" switches it off for good.
    code, text = driver("msgbox", "Tarnwick Vistrel", 7, 15000)
    assert code == 0, "no first-use tip"
    assert text.startswith("To make a screen-shot you will have the following possibilites")
    wait_until(lambda: get_setting("Divers", "NewbieTip") == "False", 10,
               what="NewbieTip to be stored")
    # A 24-bit X display is a 32-bit Windows display: with nothing stored no
    # colour warning appears and nothing is stored for it.
    assert get_setting("Divers", "ColorWarning") is None
    assert not visible("VistrelMainform"), "Mainform must stay hidden"


def test_a_second_start_says_so_and_leaves_the_first_running(program):
    first = quiet_start(program)
    second = program()
    code, text = driver("msgbox", " ", 1, 20000)
    assert code == 0, "the second instance showed no message"
    assert text == "Tarnwick Vistrel already runnig."
    second.wait_exit(20)
    assert first.running()
    assert tray_icon()


def test_double_click_menu_and_print_screen_each_open_the_wizard(program):
    vistrel = quiet_start(program)
    double_click_icon()
    wait_until(wizard_shown, 30, what="the wizard after a double click")
    screenshot("shell-wizard-after-double-click")
    hide_wizard()

    press_print_screen()
    wait_until(wizard_shown, 30, what="the wizard after Print Screen")
    hide_wizard()

    # "&Edit" reopens the last capture; the first menu item takes a new one.
    open_tray_menu()
    screenshot("shell-tray-menu")
    # A click elsewhere closes the menu.
    subprocess.run(["xdotool", "mousemove", "1500", "900", "click", "1"], check=True)
    wait_until(lambda: not visible("#32768"), 10, what="the menu to close")
    choose("edit")
    wait_until(wizard_shown, 20, what="the wizard after Edit")
    hide_wizard()
    choose("make")
    wait_until(wizard_shown, 30, what="the wizard after Make Vistrel")
    assert vistrel.running()


def test_end_removes_the_icon_ends_the_process_and_frees_print_screen(program):
    vistrel = quiet_start(program)
    choose("end")
    assert vistrel.wait_exit(20) == 0
    wait_until(lambda: tray_icon() is None, 10, what="the icon to go")
    # A new start can take the hot key again.
    quiet_start(program)
    press_print_screen()
    wait_until(wizard_shown, 30, what="the wizard after Print Screen in the new start")


def test_with_every_page_hidden_a_capture_runs_through_and_the_program_ends(program):
    for page in range(7):
        set_setting("Show", str(page), "1")
    set_setting("Divers", "EndAfterShot", "1")
    vistrel = quiet_start(program)
    double_click_icon()
    assert vistrel.wait_exit(30) == 0
    wait_until(lambda: tray_icon() is None, 10, what="the icon to go")


def test_print_screen_while_the_first_use_tip_is_open_is_refused(program):
    vistrel = program()
    wait_until(lambda: tray_icon(), 30, what="the tray icon")
    assert driver("wait", "VistrelSplashScreen", "-", 20000)[0] == 0
    wait_until(lambda: visible("#32770", "Tarnwick Vistrel"), 20, what="the first-use tip")
    press_print_screen()
    # The refusal comes up over the tip; the newest box is found first.
    def refusal():
        code, text = driver("msgbox", "Tarnwick Vistrel", 1, 2000)
        return text if code == 0 and text.startswith("Cannot make") else None
    text = wait_until(refusal, 20, interval=0.5, what="the refusal message")
    assert text.startswith("Cannot make screenshots while one of the program's windows is open.")
    assert "Setup" in text
    assert not wizard_shown()
    # Yes keeps the tip for the next start.
    code, tip = driver("msgbox", "Tarnwick Vistrel", 6, 10000)
    assert code == 0 and tip.startswith("To make a screen-shot")
    wait_until(lambda: not visible("#32770", "Tarnwick Vistrel"), 10, what="the tip to close")
    assert get_setting("Divers", "NewbieTip") is None
    # Once the tip is gone captures work again.
    press_print_screen()
    wait_until(wizard_shown, 30, what="the wizard after the tip")
    assert vistrel.running()


RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"


def autostart_value():
    out = reg("query", RUN_KEY, "/v", "Tarnwick Vistrel").stdout
    match = re.search(r"Tarnwick Vistrel\s+REG_SZ\s*(.*?)\s*$", out, re.M)
    return match.group(1) if match else None


def splash_checkbox():
    """Screen position of the start-up window's autostart box."""
    wid = wait_until(lambda: (subprocess.run(["xdotool", "search", "--name", "^Tarnwick Vistrel$"],
                                             capture_output=True, text=True).stdout.split()
                              or [None])[0], 20, what="the start-up window's X window")
    geo = subprocess.run(["xdotool", "getwindowgeometry", wid], capture_output=True,
                         text=True).stdout
    x, y = map(int, re.search(r"Position: (-?\d+),(-?\d+)", geo).groups())
    height = int(re.search(r"Geometry: \d+x(\d+)", geo).group(1))
    return x + 24, y + height - 20


def test_the_autostart_box_writes_and_deletes_the_run_value(program):
    reg("delete", RUN_KEY, "/v", "Tarnwick Vistrel", "/f")
    set_setting("Divers", "NewbieTip", "False")
    try:
        first = program()
        assert driver("wait", "VistrelSplashScreen", "-", 30000)[0] == 0
        x, y = splash_checkbox()
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        wait_until(lambda: not visible("VistrelSplashScreen"), 15, what="the start-up window")
        value = wait_until(autostart_value, 10, what="the Run value")
        assert value.lower().endswith("\\vistrel.exe")
        first.stop()

        # The next start finds the box set; clearing it deletes the value.
        program()
        assert driver("wait", "VistrelSplashScreen", "-", 30000)[0] == 0
        screenshot("shell-splash-autostart")
        x, y = splash_checkbox()
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        wait_until(lambda: not visible("VistrelSplashScreen"), 15, what="the start-up window")
        wait_until(lambda: autostart_value() is None, 10, what="the Run value to go")
    finally:
        reg("delete", RUN_KEY, "/v", "Tarnwick Vistrel", "/f")
