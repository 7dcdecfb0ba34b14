"""Windows show their content, with a window manager running and opened with
real mouse clicks: a dialog opened from a dialog's button, a popup menu opened
from a tool bar's drop-down arrow, the mail settings finder opened from Setup,
the editor's drop-down menus, its info label and its exact-zoom box, and a
message box over the mail window.

The screen is read as the display shows it, with one GetImage of the root
window (ImageMagick's `import`). `xwd -root` is not used here: it rebuilds the
screen window by window, and on this display it draws a Wine window that lies
over another window of the same program as a black rectangle, although the
display shows its content; that is what made these windows look black.

paint_probe is the comparison: the least Win32 program that does the same
things. A window of ours that stays black while the probe's paints is our
fault."""
import io
import os
import shutil
import signal
import subprocess
import time

import pytest
from PIL import Image

from harness import DRIVER, driver, wait_until
from output_helpers import (SETTINGS, WIZARD, page_driver, reg_add, show_every_page,
                            wait_main_window)
from mail_server import free_port
from test_editor import helper, open_editor
from test_mail import FAILED, mail_settings

pytestmark = pytest.mark.managed_windows

PROBE = DRIVER.parent / "paint_probe.exe"
SETUP, FINDER, FIND = "Setup", "Mail Settings Finder", 1303
FINDER_LIST, FINDER_USE = 2751, 2754
TOOLBAR1, UNDERTOOLBAR, INFOLBL = 101, 104, 105
EXACT_ZOOM = "Exact zoomer"


PICHOOK = 1020  # the tray icon's callback window, a child of the main window
WM_MOUSEMOVE, WM_LBUTTONDBLCLK = 0x200, 0x203


@pytest.fixture
def window_manager():
    """openbox on the test display, for as long as the test runs."""
    assert shutil.which("openbox"), "openbox is needed (scripts/deps installs it)"
    wm = subprocess.Popen(["openbox"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, start_new_session=True)

    def managing():
        out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                             capture_output=True, text=True).stdout
        return "window id" in out
    wait_until(managing, 20, what="openbox to manage the display")
    yield
    os.killpg(wm.pid, signal.SIGTERM)
    wm.wait(10)


def grab():
    """The whole screen as the display shows it."""
    png = subprocess.run(["import", "-silent", "-window", "root", "png:-"], capture_output=True,
                         check=True, timeout=60).stdout
    return Image.open(io.BytesIO(png)).convert("L")


def pixels(image, box):
    left, top, right, bottom = box
    return list(image.crop((left, top, right, bottom)).getdata())


def painted(box, what, timeout=10):
    """Waits until the box on the screen is mostly not black: a window whose
    inside never paints stays black (or shows nothing of its own)."""
    def check():
        values = pixels(grab(), box)
        return sum(v > 40 for v in values) > 0.8 * len(values)
    wait_until(check, timeout, interval=0.5, what=f"{what} to paint")


def shows_text(box):
    """Dark text on a light background: both are there, and they differ."""
    values = pixels(grab(), box)
    dark, light = sum(v < 100 for v in values), sum(v > 180 for v in values)
    return dark > 5 and light > 0.3 * len(values)


def rect(title, control=None, cls="#32770"):
    args = ["rect", cls, title] + ([str(control)] if control is not None else [])
    code, out = driver(*args)
    assert code == 0, f"no rectangle for {title} {control}"
    return tuple(int(v) for v in out.split())


def click_centre(box):
    left, top, right, bottom = box
    subprocess.run(["xdotool", "mousemove", str((left + right) // 2), str((top + bottom) // 2),
                    "click", "1"], check=True)


def shown(cls, title, what, timeout=10):
    """The screen rectangle of a visible window once it shows."""
    code, out = driver("shown", cls, title, str(int(timeout * 1000)))
    assert code == 0, f"{what} did not show"
    return tuple(int(v) for v in out.split())


def menu_shown(what):
    return shown("#32768", "-", what)


def client_box(box, frame=8):
    """A window's rectangle less a margin for a frame or title bar drawn by the
    window manager or by Wine."""
    left, top, right, bottom = box
    return left + frame, top + 30, right - frame, bottom - frame


def test_probe_dialog_from_a_dialog_and_tool_bar_menu(window_manager):
    outer = subprocess.Popen(["wine", str(PROBE), "dialogs"], stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        assert driver("wait", "#32770", "Paint Probe Outer", 30000)[0] == 0
        time.sleep(1)
        click_centre(rect("Paint Probe Outer", 111))
        assert driver("wait", "#32770", "Paint Probe Inner", 20000)[0] == 0
        inner = rect("Paint Probe Inner")
        painted(client_box(inner), "the probe's inner dialog")
        assert shows_text(rect("Paint Probe Inner", 112)), "the list's lines show"
    finally:
        outer.kill()
        driver("kill", "paint_probe.exe")

    menu = subprocess.Popen(["wine", str(PROBE), "menu"], stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        line = menu.stdout.readline().split()
        assert line[0] == "arrow"
        time.sleep(1)
        subprocess.run(["xdotool", "mousemove", line[1], line[2], "click", "1"], check=True)
        box = menu_shown("the probe's menu")
        painted((box[0] + 3, box[1] + 3, box[2] - 3, box[3] - 3), "the probe's menu")
        assert shows_text(box), "the menu's items show"
        subprocess.run(["xdotool", "key", "Escape"], check=True)
    finally:
        menu.kill()
        driver("kill", "paint_probe.exe")


@pytest.fixture
def clean_settings():
    subprocess.run(["wine", "reg", "delete", SETTINGS, "/f"], capture_output=True,
                   stdin=subprocess.DEVNULL)
    reg_add("Divers", "NewbieTip", "False")
    yield
    subprocess.run(["wine", "reg", "delete", SETTINGS, "/f"], capture_output=True,
                   stdin=subprocess.DEVNULL)


def test_mail_settings_finder_paints_over_setup(program, window_manager, clean_settings):
    program("setup")
    assert driver("wait", "#32770", SETUP, 30000)[0] == 0
    time.sleep(1)
    click_centre(rect(SETUP, FIND))
    assert driver("wait", "#32770", FINDER, 20000)[0] == 0
    finder = rect(FINDER)
    painted(client_box(finder), "the mail settings finder")
    # Its buttons' captions show, inside the finder and over the setup dialog.
    assert shows_text(rect(FINDER, FINDER_USE))
    assert driver("click", "#32770", FINDER, 2)[0] == 0
    assert driver("gone", "#32770", FINDER, 10000)[0] == 0
    assert driver("click", "#32770", SETUP, 2)[0] == 0


def toolbar_arrows(box):
    """The drop-down arrows of the editor's effect tool bar, left to right: the
    small dark marks that stand alone between the buttons' captions and the
    next button. Found on the screen, as a user finds them, with the pointer
    away from the bar (a hot button draws a frame around its arrow)."""
    subprocess.run(["xdotool", "mousemove", "960", "1000"], check=True)
    time.sleep(0.5)
    image = grab()
    left, top, right, bottom = box
    columns = []
    for x in range(left, right):
        column = [image.getpixel((x, y)) for y in range(top, bottom)]
        columns.append(sum(v < 90 for v in column))
    # Runs of columns with dark pixels.
    runs, start = [], None
    for i, count in enumerate(columns + [0]):
        if count and start is None:
            start = i
        elif not count and start is not None:
            runs.append((start, i))
            start = None
    # An arrow is a run of 3 to 9 columns with at most 5 dark pixels each,
    # with a gap of at least 3 columns on both sides.
    arrows = []
    for k, (a, b) in enumerate(runs):
        gap_before = a - runs[k - 1][1] if k else a
        gap_after = runs[k + 1][0] - b if k + 1 < len(runs) else 99
        if 3 <= b - a <= 9 and max(columns[a:b]) <= 5 and gap_before >= 3 and gap_after >= 3:
            arrows.append(left + (a + b) // 2)
    return arrows, (top + bottom) // 2


def make_from_tray():
    """A double click on the tray icon, as the icon hands it to the program. (A real
    click on Wine's stand-alone tray may hit the icon of a program an earlier test
    ended, which stays there until the pointer passes over it.)"""
    assert driver("postchild", "VistrelMainform", "-", PICHOOK, WM_MOUSEMOVE, 0,
                  WM_LBUTTONDBLCLK)[0] == 0


@pytest.fixture
def editor_open(program, tmp_path, window_manager):
    out = tmp_path / "out"
    out.mkdir()
    subprocess.run(["wine", "reg", "delete", r"HKCU\Software\Tarnwick\Vistrel\VistrelEditor",
                    "/f"], capture_output=True, stdin=subprocess.DEVNULL)
    show_every_page(out, fmt=3)
    reg_add("Automate", "UseCropOrEdit", 0)
    program()
    wait_main_window()
    make_from_tray()
    wait_until(lambda: page_driver("shown", WIZARD, "&Next >")[0] == 0, timeout=30,
               what="the wizard")
    open_editor()
    yield


def test_editor_menus_info_label_and_exact_zoom_box(editor_open):
    code, out = helper("rect", INFOLBL)
    assert code == 0
    label = tuple(int(v) for v in out.split())
    painted(label, "the editor's info label")

    code, out = helper("rect", TOOLBAR1)
    assert code == 0
    bar = tuple(int(v) for v in out.split())
    arrows, y = toolbar_arrows(bar)
    assert len(arrows) == 4, f"the four drop-down arrows on the tool bar, found {arrows}"
    for name, x in zip(("Colorfill", "Border", "Reduce colors", "Redact"), arrows):
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        box = menu_shown(f"the {name} menu")
        painted((box[0] + 3, box[1] + 3, box[2] - 3, box[3] - 3), f"the {name} menu")
        assert shows_text(box), f"the {name} menu's items show"
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        wait_until(lambda: driver("gone", "#32768", "-", 100)[0] == 0, 10,
                   what=f"the {name} menu to close")

    # The exact-zoom box: the zoom bar's third button opens its menu, whose
    # first item opens the box.
    code, out = helper("rect", UNDERTOOLBAR)
    assert code == 0
    left, top, right, _ = (int(v) for v in out.split())
    subprocess.run(["xdotool", "mousemove", str((left + right) // 2), str(top + 2 + 2 * 26 + 13),
                    "click", "1"], check=True)
    box = menu_shown("the zoom menu")
    painted((box[0] + 3, box[1] + 3, box[2] - 3, box[3] - 3), "the zoom menu")
    subprocess.run(["xdotool", "mousemove", str(box[0] + 30), str(box[1] + 10), "click", "1"],
                   check=True)
    assert driver("wait", "#32770", EXACT_ZOOM, 10000)[0] == 0
    painted(client_box(rect(EXACT_ZOOM)), "the exact-zoom box")
    assert shows_text(rect(EXACT_ZOOM, 2)), "the box's Cancel button shows its caption"
    assert driver("click", "#32770", EXACT_ZOOM, 2)[0] == 0
    assert driver("gone", "#32770", EXACT_ZOOM, 10000)[0] == 0


def test_message_box_over_the_mail_window(program, window_manager, clean_settings, tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    mail_settings(out, free_port(), "dora@example.test")  # nobody listens there
    program()
    wait_main_window()
    make_from_tray()
    assert driver("wait", "#32770", FAILED, 60000)[0] == 0
    shown("#32770", "Sending Mail...", "the mail window under it")
    painted(client_box(rect(FAILED)), "the message box")
    assert shows_text(rect(FAILED, 0xFFFF)), "the message's text shows"
    assert driver("msgbox", FAILED, 1, 5000)[0] == 0
