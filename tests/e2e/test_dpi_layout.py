"""The program's windows at 144 and 192 dpi (150 % and 200 %): one program start
per DPI opens the wizard, the area selector, the editor, the preview, the
clipboard viewer, the setup dialog and the count-down, and checks that every
text of every static, button, check box and group box fits its control (the
probe measures each in the control's own font inside the program) and that the
windows built in code grew with the DPI. The selector, setup and count-down
are also told they moved onto a monitor of another DPI and back (WM_DPICHANGED,
sent inside the program) and must take the suggested size with every text
still fitting. Screenshots of each are kept."""
import pytest

from harness import DRIVER, driver, restart_wine, screenshot, wait_until, wine_run
from output_helpers import WIZARD, page_driver, wait_main_window
from test_shell import set_setting, visible

DESKTOP = r"HKCU\Control Panel\Desktop"
PROBE = DRIVER.parent / "textfit_probe.exe"
SELECTOR = "Autocropping Selector"
EDITOR = "Tarnwick Vistrel Editor (TM)"
VIEWER = "Tarnwick Clipboard Viewer"
PREVIEW = "Tarnwick Vistrel Preview"
MENU_DELAY10 = 1107
WM_COMMAND, WM_LBUTTONDOWN = 0x111, 0x201
COUNTDOWN_SIZE = 56  # at 96 dpi


@pytest.fixture(scope="module")
def dpi_session():
    """Sets the system DPI Wine reads when its session starts; the plain 96 dpi
    session comes back at the end."""
    def use(dpi):
        wine_run(["reg", "add", DESKTOP, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"])
        restart_wine()
    yield use
    wine_run(["reg", "delete", DESKTOP, "/v", "LogPixels", "/f"])
    restart_wine()


def fits(cls, title, to=None, frm=None):
    """How many texts of the window were measured (all fit, or the test fails) and
    the window's size; with `to` and `frm` the window is first told it moved from a
    monitor of `frm` dpi onto one of `to` dpi."""
    run = wine_run([PROBE, cls, title, *([to, frm] if to else [])])
    assert run.returncode == 0, f"{title}: {run.stdout}{run.stderr}"
    lines = run.stdout.strip().splitlines()
    return int(lines[-1].split()[1]), tuple(map(int, lines[-2].split()[1:]))


def follows_dpi_change(cls, title, dpi, other, slack=0.0):
    """Moved onto a monitor of `other` dpi and back, the window takes the size
    suggested for it there and here again (a dialog: within `slack`, as it grows
    with its face), and its texts still fit."""
    _, here = fits(cls, title)
    _, there = fits(cls, title, other, dpi)
    assert all(abs(b - a * other / dpi) <= 1 + slack * b for a, b in zip(here, there)), (here, there)
    _, back = fits(cls, title, dpi, other)
    assert all(abs(a - b) <= 2 + slack * a for a, b in zip(here, back)), (here, back)


def size(cls, title):
    code, out = driver("shown", cls, title, 20000)
    assert code == 0, f"{title} is not shown"
    left, top, right, bottom = map(int, out.split())
    return right - left, bottom - top


def close(cls, title):
    assert driver("close", cls, title)[0] == 0
    wait_until(lambda: not visible(cls, title), 20, what=f"{title} to close")


def step(way, until):
    assert page_driver("click", WIZARD, way)[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, until)[0] == 0, 30, interval=0.3,
               what=f"the page with {until}")


def opened_by(button, cls, title):
    assert page_driver("click", WIZARD, button)[0] == 0
    assert driver("shown", cls, title, 30000)[0] == 0, f"{button} opens {title}"


@pytest.mark.parametrize("dpi", [144, 192])
def test_windows_laid_out_for_the_dpi(dpi, dpi_session, program):
    dpi_session(dpi)
    # A monitor of a lower DPI for WM_DPICHANGED: the windows' sizes there fit the screen.
    other = 120 if dpi == 144 else 144
    set_setting("Divers", "NewbieTip", "False")
    program()
    wait_main_window()
    opener = program("capture", "--wizard")
    assert opener.wait_exit(30) == 0
    # The templates' dialog units follow the DPI: 380 units are about 570 pixels at 96.
    assert size("#32770", WIZARD)[0] > 570 * dpi // 96 * 9 // 10
    checked, _ = fits("#32770", WIZARD)  # every page, shown or not
    assert checked > 50
    screenshot(f"dpi{dpi}-wizard")

    step("&Next >", "Selected area...")
    opened_by("Selected area...", "VistrelMainform", SELECTOR)
    assert fits("VistrelMainform", SELECTOR)[0] >= 6
    follows_dpi_change("VistrelMainform", SELECTOR, dpi, other)
    screenshot(f"dpi{dpi}-selector")
    assert page_driver("click", SELECTOR, "&Back to Vistrel Wizard")[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, "Selected area...")[0] == 0, 30,
               what="the wizard again")

    opened_by("&Vistrel Editor", "TVisEditForm", EDITOR)
    assert size("TVisEditForm", EDITOR)[0] >= 638 * dpi // 96
    assert fits("TVisEditForm", EDITOR)[0] >= 1
    screenshot(f"dpi{dpi}-editor")
    close("TVisEditForm", EDITOR)

    step("&Next >", "&Preview...")
    opened_by("&Preview...", "VistrelPreview", PREVIEW)
    screenshot(f"dpi{dpi}-preview")
    close("VistrelPreview", PREVIEW)

    step("&Next >", "Sa&ve")
    step("&Next >", "View clipboard...")
    opened_by("View clipboard...", "TCBViewer", VIEWER)
    assert fits("TCBViewer", VIEWER)[0] == 1
    screenshot(f"dpi{dpi}-viewer")
    close("TCBViewer", VIEWER)

    opened_by("&Setup", "#32770", "Setup")
    assert fits("#32770", "Setup")[0] > 20
    follows_dpi_change("#32770", "Setup", dpi, other, slack=0.08)
    screenshot(f"dpi{dpi}-setup")
    assert driver("click", "#32770", "Setup", 2)[0] == 0
    assert driver("gone", "#32770", "Setup", 20000)[0] == 0

    # The count-down's square (its figure is drawn, not a control) grows with the DPI.
    assert driver("post", "VistrelMainform", "-", WM_COMMAND, MENU_DELAY10, 0)[0] == 0
    assert size("VistrelCountdown", "-") == (COUNTDOWN_SIZE * dpi // 96,) * 2
    # Its square follows a change of DPI (its figure is drawn for the square).
    assert fits("VistrelCountdown", "-", other, dpi)[1] == (COUNTDOWN_SIZE * other // 96,) * 2
    screenshot(f"dpi{dpi}-countdown")
    driver("post", "VistrelCountdown", "-", WM_LBUTTONDOWN, 0, 0)
    assert driver("gone", "VistrelCountdown", "-", 20000)[0] == 0
