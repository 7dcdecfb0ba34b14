"""The wizard's hand-offs in the running program: the picture copied to the
clipboard and read back by another program, the clipboard viewer following
other programs' changes, the saved file opened by the program registered for
its type, and the explorer started on the save folder; by their buttons, then
by their "Auto click" boxes with every page hidden."""
import subprocess
import time
from pathlib import Path

import pytest

from harness import DRIVER, driver, screenshot, wait_until
from output_helpers import (WIZARD, capture, metric, page_driver, reg_add, show_every_page,
                            straight_through, wait_complete, wait_main_window, walk_to_page,
                            wine_path)

PROBE = DRIVER.parent / "handoff_probe.exe"
VIEWER = "Tarnwick Clipboard Viewer"
COPIED = "The current screenshot has been successfully copied to the Windows clipboard."
DCX = 5  # the format list's entry for .dcx, the test's file type


def probe(*args, exe=PROBE):
    run = subprocess.run(["wine", str(exe), *map(str, args)], capture_output=True, text=True,
                         timeout=60, stdin=subprocess.DEVNULL)
    return run.returncode


def reg(*args):
    subprocess.run(["wine", "reg", *args], capture_output=True, stdin=subprocess.DEVNULL,
                   timeout=60)


@pytest.fixture
def opener(tmp_path):
    """The probe registered as the program that opens .dcx files; it writes what it got."""
    folder = tmp_path / "opener"
    folder.mkdir()
    exe = folder / "handoff_probe.exe"
    exe.write_bytes(PROBE.read_bytes())
    reg("add", r"HKCR\.dcx", "/ve", "/d", "VistrelProbeFile", "/f")
    reg("add", r"HKCR\VistrelProbeFile\shell\open\command", "/ve", "/d",
        f'"{wine_path(exe)}" "%1"', "/f")
    yield folder / "opened.txt"
    reg("delete", r"HKCR\.dcx", "/f")
    reg("delete", r"HKCR\VistrelProbeFile", "/f")


def explorers():
    """Process id and command line of every explorer Wine runs."""
    found = {}
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            line = (proc / "cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if "explorer.exe" in line.lower() and "/desktop" not in line.lower():
            found[int(proc.name)] = line
    return found


def wait_explorer_on(folder, before):
    def started():
        return [(pid, line) for pid, line in explorers().items()
                if pid not in before and wine_path(folder).lower() in line.lower()]
    found = wait_until(started, 30, what="the explorer on the save folder")
    pid, line = found[0]
    assert r"c:\windows\explorer.exe" in line.lower(), line
    return [p for p, _ in found]


def stop(pids):
    import os
    import signal
    for pid in pids:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass


def check_opened(opened, saved):
    text = wait_until(lambda: opened.exists() and opened.read_text().strip(), 30,
                      what="the registered program to start")
    command, folder = text.splitlines()[:2]
    assert wine_path(saved).lower() in command.lower(), command
    assert folder.rstrip("\\").lower() == wine_path(saved.parent).lower(), folder


BITMAP_FORMATS = ("dib.bmp", "dibv5.bmp", "bitmap.bmp")


def read_clipboard(work):
    """What another program reads from the clipboard: the bitmap it asks for,
    and each picture format in turn."""
    assert probe("clip", wine_path(work / "clipboard.bmp")) == 0, "no picture on the clipboard"
    (work / "formats").mkdir()
    assert probe("formats", wine_path(work / "formats")) == 0


def check_clipboard_read(saved, work, names=BITMAP_FORMATS + ("clip.png",)):
    """Every format read was our picture, none another program's: the clipboard
    was emptied before it was placed."""
    assert metric(work / "clipboard.bmp", saved, "AE") == 0, \
        "the clipboard's picture differs from the output"
    folder = work / "formats"
    assert not (folder / "text.txt").exists(), "another program's text stayed beside the picture"
    for name in names:
        assert (folder / name).exists(), f"no {name} on the clipboard"
        assert metric(folder / name, saved, "AE") == 0, f"{name} is not the output's picture"


def boxes_seen():
    """Visible dialogs other than the wizard: message boxes."""
    return [line for line in driver("list")[1].splitlines()
            if "\t#32770\t" in line and line.endswith("\tvisible") and f"\t{WIZARD}\t" not in line]


def test_handoffs_by_their_buttons(tmp_path, program, opener):
    out = tmp_path / "out"
    out.mkdir()
    show_every_page(out, fmt=DCX)
    program()
    wait_main_window()
    capture()
    # On the first page, the clipboard holds the capture, copied for another
    # program only when it asks, in every bitmap format (the png is the
    # clipboard page's own). The output is the whole capture: the same pixels.
    wait_until(lambda: page_driver("shown", WIZARD, "&Next >")[0] == 0, what="the wizard")
    promised = tmp_path / "promised"
    promised.mkdir()
    read_clipboard(promised)
    walk_to_page("Sa&ve")
    screenshot("handoffs-save-page")
    assert page_driver("click", WIZARD, "Sa&ve")[0] == 0
    saved = wait_complete(out / "Vistrel.dcx")
    check_clipboard_read(saved, promised, BITMAP_FORMATS)

    assert page_driver("click", WIZARD, "&Open last saved picture")[0] == 0
    check_opened(opener, saved)

    before = explorers()
    assert page_driver("click", WIZARD, "&Explorer...")[0] == 0
    stop(wait_explorer_on(out, before))

    assert page_driver("click", WIZARD, "&Next >")[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, "View clipboard...")[0] == 0,
               what="the clipboard page")
    # Another program puts its picture there while the page is open.
    assert probe("foreign") == 0
    assert page_driver("click", WIZARD, "Copy screen-shot to clipboard")[0] == 0
    code, text = driver("msgbox", "Tarnwick Vistrel", 1, 30000)
    assert code == 0 and text == COPIED, text
    read_clipboard(tmp_path)
    check_clipboard_read(saved, tmp_path)

    assert page_driver("click", WIZARD, "View clipboard...")[0] == 0
    assert driver("wait", "TCBViewer", VIEWER, 30000)[0] == 0
    time.sleep(1)
    screenshot("viewer-picture")
    # The viewer follows what another program puts on the clipboard.
    for what, args in [("text", ["text", "Text from another program\r\nsecond line"]),
                       ("palette", ["palette"]), ("empty", ["empty"])]:
        assert probe(*args) == 0, what
        time.sleep(1.5)
        screenshot(f"viewer-{what}")
    assert driver("close", "TCBViewer", VIEWER)[0] == 0
    assert driver("gone", "TCBViewer", VIEWER, 20000)[0] == 0
    assert page_driver("shown", WIZARD, "View clipboard...")[0] == 0


def test_handoffs_run_by_themselves_without_messages(tmp_path, program, opener):
    out = tmp_path / "out"
    out.mkdir()
    straight_through(out, fmt=DCX)
    for box in (3, 4, 5, 6):  # open saved, explorer, copy, view clipboard
        reg_add("Automate", box, 1)
    program()
    wait_main_window()
    before = explorers()
    capture()
    saved = wait_complete(out / "Vistrel.dcx")
    check_opened(opener, saved)
    stop(wait_explorer_on(out, before))
    # The viewer is the walk's last hand-off; the picture is on the clipboard by then.
    assert driver("wait", "TCBViewer", VIEWER, 60000)[0] == 0
    read_clipboard(tmp_path)
    check_clipboard_read(saved, tmp_path)
    assert boxes_seen() == [], "a message appeared in the automatic run"
    assert driver("close", "TCBViewer", VIEWER)[0] == 0
    assert driver("gone", "TCBViewer", VIEWER, 20000)[0] == 0
