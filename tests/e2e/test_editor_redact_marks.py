"""Redaction and marks in the editor, through the whole program, in one start:
a control showing a secret text is redacted and the picture saved as png, bmp
and into a zip; then arrows, a box, a text and numbered steps are drawn, one is
moved, undone and redone, and the saved png shows them where they were drawn;
at last every change of a session is undone and the saved picture is the
capture again."""
import subprocess
import time
import zipfile

import pytest
from PIL import Image

from harness import driver, screenshot, wait_until
from output_helpers import (WIZARD, capture, page_driver, reg_add, show_every_page, wait_complete,
                            own_temp_folder, wait_main_window, ProgramWithTemp)
from test_editor import HELPER, helper, open_editor, step

SECRET_AT = (300, 120, 420, 80)  # the holder window: left, top, width, height
SECRET_TEXT = "pw: Tr0ub4dor&3"
# The control inside it, where a click picks it and what the redaction covers.
CONTROL = (SECRET_AT[0] + 10, SECRET_AT[1] + 10, SECRET_AT[2] - 20, SECRET_AT[3] - 20)
BACK, UNDO, REDO = 102, 231, 232
ARROW, RECTANGLE, TEXT, STEP = 233, 234, 236, 238
REDACT_MOSAIC, FILL_WHITE = 352, 301
RED = (255, 0, 0)


@pytest.fixture(scope="module")
def session(tmp_path_factory):
    work = tmp_path_factory.mktemp("redact")
    out, temp = work / "out", work / "temp"
    out.mkdir()
    temp.mkdir()
    holder = subprocess.Popen(["wine", str(HELPER), "secret", *map(str, SECRET_AT), SECRET_TEXT],
                              stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
    assert holder.stdout.readline().strip() == "ready"
    show_every_page(out, fmt=3)  # png
    reg_add("Automate", "UseCropOrEdit", 0)  # the wizard takes the editor's picture
    program = ProgramWithTemp(temp)
    try:
        wait_main_window()
        subprocess.run(["xdotool", "mousemove", "5", "1075"], check=True)
        before = work / "screen.png"

        def secret_shown():
            subprocess.run(["import", "-window", "root", f"PNG24:{before}"], check=True)
            area = box_pixels(rgb(before), CONTROL)
            return any(sum(p) < 200 for p in area) and any(sum(p) > 700 for p in area)

        wait_until(secret_shown, timeout=20, interval=0.5, what="the secret on the screen")
        capture()
        wait_until(lambda: page_driver("shown", WIZARD, "&Next >")[0] == 0, timeout=30,
                   what="the wizard")
        yield out, temp, before
    finally:
        program.stop()
        holder.terminate()
        holder.wait(10)
        driver("kill", "editor_e2e_helper.exe")


def to_save_page():
    assert helper("command", BACK)[0] == 0
    wait_until(lambda: helper("info")[0] != 0, timeout=30, what="the editor to close")
    step("&Next >", "&Preview...")
    step("&Next >", "Sa&ve")


def save(out, name, kept, fmt=3, zip_=0):
    """Saves in list format `fmt` (0 bmp, 3 png), into the zip or not."""
    assert page_driver("select", WIZARD, 2500, fmt)[0] == 0
    assert page_driver("check", WIZARD, "&Compress picture into zip-file", zip_)[0] == 0
    assert page_driver("click", WIZARD, "Sa&ve")[0] == 0
    return wait_complete(out / name).rename(out / kept)


def rgb(path):
    return Image.open(path).convert("RGB")


def box_pixels(picture, box):
    left, top, width, height = box
    return [picture.getpixel((x, y)) for y in range(top, top + height)
            for x in range(left, left + width)]


def secret_row(before):
    """The bytes a bmp row would hold of the secret's rendering: the control's
    row with the most dark pixels, blue-green-red, from its first dark pixel."""
    left, top, width, height = CONTROL
    rows = [[before.getpixel((x, y)) for x in range(left, left + width)]
            for y in range(top, top + height)]
    row = max(rows, key=lambda r: sum(sum(p) < 200 for p in r))
    first = next(i for i, p in enumerate(row) if sum(p) < 200)
    return b"".join(bytes((b, g, r)) for r, g, b in row[first:first + 48])


def outside_equal(a, b, box):
    """The two pictures are the same everywhere outside `box`."""
    left, top, width, height = box
    masked = []
    for picture in (a, b):
        copy = picture.copy()
        copy.paste((0, 0, 0), (left, top, left + width, top + height))
        masked.append(copy.tobytes())
    return masked[0] == masked[1]


def test_redaction_leaves_no_trace_in_png_bmp_or_zip(session):
    out, temp, before_path = session
    before = rgb(before_path)
    open_editor()
    centre = (CONTROL[0] + CONTROL[2] // 2, CONTROL[1] + CONTROL[3] // 2)
    assert helper("click", *centre)[0] == 0
    assert helper("info")[1] == f"Windowname: {SECRET_TEXT}"
    assert helper("command", REDACT_MOSAIC)[0] == 0
    wait_until(lambda: helper("undoable")[0] == 0, timeout=30, what="the redaction")
    screenshot("editor-redacted")
    to_save_page()
    png = save(out, "Vistrel.png", "redacted.png")
    bmp = save(out, "Vistrel.bmp", "redacted.bmp", fmt=0)

    # The zip's picture is written first into the program's own folder in TEMP
    # under the second's name: larger old files wait under the names of the next
    # seconds, a marker at their end, which a writer that does not replace the
    # file whole leaves.
    own = own_temp_folder(temp)
    marker = b"OLD-TAIL-OF-A-LARGER-FILE"
    now = time.time()
    waiting = []
    for offset in range(40):
        t = time.localtime(now + offset)
        old = own / f"{t.tm_year}_{t.tm_mon}_{t.tm_mday}_{t.tm_hour}_{t.tm_min}_{t.tm_sec}.bmp"
        with open(old, "wb") as f:
            f.truncate(12 << 20)
            f.seek((12 << 20) - len(marker))
            f.write(marker)
        waiting.append(old)
    archive = save(out, "Vistrel.zip", "redacted.zip", fmt=0, zip_=1)
    assert any(not old.exists() for old in waiting), "the zip's picture went elsewhere"

    redacted = rgb(png)
    assert list(rgb(bmp).getdata()) == list(redacted.getdata())
    area = box_pixels(redacted, CONTROL)
    original = box_pixels(before, CONTROL)
    palette = set(area)
    assert 2 <= len(palette) <= 8, "a mosaic of a few fixed colours"
    # An original pixel may come back only where its colour is a palette colour.
    same = sum(a == o for a, o in zip(area, original))
    chance = sum(o in palette for o in original)
    assert same <= chance and same * 20 < len(area), (same, chance)
    assert outside_equal(redacted, before, CONTROL)
    with zipfile.ZipFile(archive) as packed:
        names = packed.namelist()
        assert len(names) == 1 and names[0].endswith(".bmp")
        entry = packed.read(names[0])
    assert entry == bmp.read_bytes(), "the packed picture is the saved one, whole"
    row = secret_row(before)
    assert row not in bmp.read_bytes() and row not in entry
    assert marker not in archive.read_bytes() and marker not in entry


def back_to_editor():
    step("< &Back", "&Preview...")
    step("< &Back", "&Vistrel Editor")
    assert page_driver("click", WIZARD, "&Vistrel Editor")[0] == 0
    wait_until(lambda: helper("info")[0] == 0, timeout=30, what="the editor")


def draw_marks():
    for tool, args in ((ARROW, ("drag", 40, 250, 140, 200)),
                       (RECTANGLE, ("drag", 60, 60, 200, 140)),
                       (TEXT, ("click", 250, 220)),
                       (None, ("type", "Hi|you")),
                       (STEP, ("click", 420, 230)),
                       (None, ("click", 470, 230)),
                       (None, ("click", 520, 230))):
        if tool is not None:
            assert helper("command", tool)[0] == 0
        assert helper(*args)[0] == 0


def test_marks_move_undo_redo_and_land_at_their_pixels(session):
    out, _, before_path = session
    before = rgb(before_path)
    back_to_editor()
    draw_marks()
    # The box is taken by its left edge and moved by (20, 10); undone, redone.
    assert helper("command", RECTANGLE)[0] == 0
    assert helper("drag", 60, 100, 80, 110)[0] == 0
    assert helper("command", UNDO)[0] == 0
    assert helper("command", REDO)[0] == 0
    screenshot("editor-marks")
    to_save_page()
    marked = rgb(save(out, "Vistrel.png", "marked.png"))
    checks = {
        "box's moved left edge": ((80, 110), RED),
        "box's moved top edge": ((150, 70), RED),
        "box's old left edge": ((60, 100), before.getpixel((60, 100))),
        "arrow's shaft": ((90, 225), RED),
        "first step's disc": ((420 - 10, 230), RED),
        "third step's disc": ((520 - 10, 230), RED),
        "the capture between marks": ((330, 160), before.getpixel((330, 160))),
    }
    wrong = {what: (marked.getpixel(at), want) for what, (at, want) in checks.items()
             if marked.getpixel(at) != want}
    assert not wrong
    text = box_pixels(marked, (250, 220, 60, 60))
    assert sum(p == RED for p in text) > 30, "the text's two lines"


def test_undoing_every_change_gives_the_capture_back(session):
    out, _, before_path = session
    back_to_editor()
    draw_marks()
    centre = (CONTROL[0] + CONTROL[2] // 2, CONTROL[1] + CONTROL[3] // 2)
    assert helper("command", 211)[0] == 0  # the window selector
    assert helper("click", *centre)[0] == 0
    assert helper("command", REDACT_MOSAIC)[0] == 0
    assert helper("click", *centre)[0] == 0
    assert helper("command", FILL_WHITE)[0] == 0
    for _ in range(24):  # more than there were changes (17): the rest do nothing
        assert helper("command", UNDO)[0] == 0
    to_save_page()
    restored = save(out, "Vistrel.png", "restored.png")
    run = subprocess.run(["compare", "-metric", "AE", f"{restored}[0]", str(before_path), "null:"],
                         capture_output=True, text=True)
    assert float(run.stderr.split()[0]) == 0
