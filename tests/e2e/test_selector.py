"""The capture area selector as a user works it, in one run of the program: a typed
zoom that is no number, a zoom picked from the list that is refused, a rectangle
drawn on the zoomed and scrolled view, and both ways back to the wizard. What was
drawn is checked in the saved picture: the screen shows a picture whose red and
green values are its own x and y, so every pixel says where it came from."""
import subprocess
import time

from PIL import Image

from harness import driver, screenshot, wait_until
from output_helpers import (WIZARD, PatternOnScreen, capture, page_driver, show_every_page,
                            wait_complete, wait_main_window)

SELECTOR = "Autocropping Selector"
ZOOM, PROJEKTION, HSCROLL = 1011, 1013, 1014
SELECTION_DISP = 2307
SB_PAGEDOWN = 3
GREY = (128, 128, 128)  # the empty view


def make_position_pattern(path):
    picture = Image.new("RGB", (256, 256))
    picture.putdata([(x, y, 0x80) for y in range(256) for x in range(256)])
    picture.save(path)


def shown(title):
    return any(len(parts) == 4 and parts[2] == title and parts[3] == "visible"
               for parts in (line.split("\t") for line in driver("list")[1].splitlines()))


def where(control):
    code, out = page_driver("where", SELECTOR, control)
    assert code == 0, f"no control {control}"
    return [int(n) for n in out.split()]


def zoom_text():
    # Asked with WM_GETTEXT: the combo box's own title is not its edit field's text.
    return driver("text", "VistrelMainform", SELECTOR, ZOOM)[1]


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=30)


def view_pixels(name):
    """The view as it is painted after it was uncovered (repainted from scratch)."""
    assert page_driver("redraw", SELECTOR, PROJEKTION)[0] == 0
    left, top, right, bottom = where(PROJEKTION)
    shot = Image.open(screenshot(name)).convert("RGB")
    return shot.crop((left + 2, top + 2, right - 2, bottom - 2))


def grey_share(view):
    colours = view.getcolors(view.width * view.height)
    return sum(n for n, c in colours if c == GREY) / (view.width * view.height)


def view_is_drawn(name):
    """The repainted view shows the capture, not the grey of an undrawn view (the
    repaint is asynchronous: wait for it)."""
    wait_until(lambda: grey_share(view_pixels(name)) < 0.05, 15, interval=0.5,
               what=f"the view to show the capture ({name})")


def type_zoom(text):
    """Types into the zoom box as a user does: the window gets the keyboard (there is no
    window manager to give it), a click into the box, the old text replaced, Enter."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{SELECTOR}$"],
                         capture_output=True, text=True).stdout.split()
    if ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]], check=False, timeout=10)
    left, top, right, bottom = where(ZOOM)
    xdotool("mousemove", left + 12, (top + bottom) // 2, "click", 1)
    xdotool("key", "ctrl+a")
    xdotool("type", text)
    xdotool("key", "Return")


def open_selector():
    assert page_driver("click", WIZARD, "Selected area...")[0] == 0
    wait_until(lambda: shown(SELECTOR), 20, what="the selector")


def test_zoom_refusal_drawing_and_both_ways_back(tmp_path, program):
    pattern = tmp_path / "where.png"
    make_position_pattern(pattern)
    # Where a page's scroll at 200 % shows it: capture x from about 250, y from 0.
    on_screen = PatternOnScreen(pattern, 300, 20)
    out = tmp_path / "out"
    out.mkdir()
    show_every_page(out, fmt=0)
    program()
    wait_main_window()
    for _ in range(4):
        capture()
        try:
            wait_until(lambda: shown(WIZARD), 10, what="the wizard")
            break
        except AssertionError:
            pass  # the key reached a window without the focus
    on_screen.close()
    assert page_driver("click", WIZARD, "&Next >")[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, "Selected area...")[0] == 0, 15,
               what="the cropping page")
    open_selector()

    # "abc" typed into the zoom box shows the capture at 100 %.
    type_zoom("abc")
    wait_until(lambda: zoom_text() == "100", 15, what="abc to become 100")
    view_is_drawn("selector-100")

    # Picking from the list with the arrow keys: 80, 75, then 50 is refused.
    assert page_driver("select", SELECTOR, ZOOM, 3)[0] == 0  # "100"
    for expected in ("80", "75"):
        xdotool("key", "Up")
        wait_until(lambda: zoom_text() == expected, 15, what=f"zoom {expected}")
    xdotool("key", "Up")
    # The refusal puts 75 back after the list has written its 50 into the box.
    wait_until(lambda: zoom_text() == "75", 15, what="the refused zoom to come back")
    time.sleep(1)  # nothing may write 50 over it afterwards
    assert zoom_text() == "75"
    view_is_drawn("selector-refused")

    # At 200 %, scrolled right by a page, a rectangle drawn with the mouse.
    type_zoom("200")
    wait_until(lambda: zoom_text() == "200", 15, what="zoom 200")
    assert page_driver("click", SELECTOR, "cursor selection")[0] == 0
    assert page_driver("scroll", SELECTOR, HSCROLL, SB_PAGEDOWN)[0] == 0
    time.sleep(1)  # the scroll's repaint
    view = view_pixels("selector-200")
    # An even place in the view: one capture pixel is two view pixels wide.
    press = (200, 150)
    red, green, blue = view.getpixel(press)
    assert blue == 0x80, "the pattern is not under the pointer"
    vleft, vtop = where(PROJEKTION)[:2]
    x, y = vleft + 2 + press[0], vtop + 2 + press[1]
    xdotool("mousemove", x, y, "mousedown", 1)
    xdotool("mousemove", x + 60, y + 40)
    xdotool("mousemove", x + 120, y + 80, "mouseup", 1)

    # The close box hands the drawn area to the wizard.
    assert driver("post", "VistrelMainform", SELECTOR, 0x112, 0xF060, 0)[0] == 0
    wait_until(lambda: shown(WIZARD) and not shown(SELECTOR), 20, what="the close box hand-over")
    assert page_driver("gettext", WIZARD, SELECTION_DISP)[1] == "Current selection: 60 x 40 Pixel"

    # "&Back to Vistrel Wizard" does the same and keeps the area.
    open_selector()
    assert page_driver("click", SELECTOR, "&Back to Vistrel Wizard")[0] == 0
    wait_until(lambda: shown(WIZARD) and not shown(SELECTOR), 20, what="the button's hand-over")
    assert page_driver("gettext", WIZARD, SELECTION_DISP)[1] == "Current selection: 60 x 40 Pixel"

    # Saved, the area is what was under the pointer: its first pixel is the one pressed on.
    for page_control in ("vertical mirroring", "Sa&ve"):
        assert page_driver("click", WIZARD, "&Next >")[0] == 0
        wait_until(lambda: page_driver("shown", WIZARD, page_control)[0] == 0, 20,
                   what=f"the page with {page_control!r}")
    assert page_driver("click", WIZARD, "Sa&ve")[0] == 0
    saved = Image.open(wait_complete(out / "Vistrel.bmp")).convert("RGB")
    assert saved.size == (60, 40)
    # The view's stretch is rounded to whole pixels: one pixel either way.
    first = saved.getpixel((0, 0))
    assert abs(first[0] - red) <= 1 and abs(first[1] - green) <= 1, (first, (red, green))
    assert saved.getpixel((59, 39))[:2] == (first[0] + 59, first[1] + 39)
