"""Printing and the output preview in the running program, on a real printer:
a private CUPS scheduler with a PDF queue as the default printer. The PDFs are
judged with poppler (pdfinfo, pdftoppm) and ImageMagick; the queue with lpstat."""
import shutil
import subprocess
from pathlib import Path

import pytest

from harness import DIST, SHOTS, driver, screenshot, wait_until
from output_helpers import (WIZARD, PatternOnScreen, capture, make_pattern, page_driver,
                            reg_add, straight_through, wait_main_window)
from pdf_printer import PdfPrinter

pytestmark = pytest.mark.managed_windows

PRINT_ID = 2806
COPIES_ID = 2800
SCREEN = (1920, 1080)
PICTURE = SCREEN  # the full-screen capture, unchanged
TWIPS_PER_PIXEL = 15  # the 96-dpi screen
DPI = 300             # the PDF queue's resolution as Wine's printer driver sees it
PREVIEW = "Tarnwick Vistrel Preview"
FRAME = (4, 23, 4, 4)  # a sizable window's border and caption under Wine, in pixels


@pytest.fixture
def printer(tmp_path):
    queue = PdfPrinter(tmp_path / "pdf").start()
    yield queue
    queue.stop()


def only_print_page(folder):
    """Every page hidden but printing; the walk converts the capture on its way."""
    straight_through(folder)
    reg_add("Automate", 1, 0)
    reg_add("Show", 6, 0)


def open_by_capture(caption):
    """Print Screen until the wizard shows the page with that control."""
    for _ in range(4):
        capture()
        try:
            wait_until(lambda: page_driver("shown", WIZARD, caption)[0] == 0, 10,
                       what=f"the page with {caption}")
            return
        except AssertionError:
            pass  # the key went to a window without the focus
    wait_until(lambda: page_driver("shown", WIZARD, caption)[0] == 0, 1,
               what=f"the page with {caption}")


def open_print_page():
    open_by_capture("Print")


def set_copies(text):
    assert page_driver("settext", WIZARD, COPIES_ID, text)[0] == 0


def press_print():
    assert page_driver("click", WIZARD, "Print")[0] == 0


def message(caption, timeout=60000):
    """Text of the message box with that caption, which is then closed."""
    code, text = driver("msgbox", caption, 1, timeout)
    assert code == 0, f"no message box '{caption}'"
    assert driver("gone", "#32770", caption, 20000)[0] == 0, f"'{caption}' did not close"
    return text


def pages(pdf):
    out = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True, check=True).stdout
    return int(next(line.split()[-1] for line in out.splitlines() if line.startswith("Pages:")))


def drawn_box(pdf, work):
    """Width, height, left and top of what is drawn on page 1, in pixels at DPI."""
    png = work / "page"
    subprocess.run(["pdftoppm", "-r", str(DPI), "-f", "1", "-l", "1", "-png", "-singlefile",
                    str(pdf), str(png)], check=True)
    # A white frame first, so that the trim takes white away even where the
    # picture touches the page's corner.
    out = subprocess.run(["convert", f"{png}.png", "-bordercolor", "white", "-border", "1",
                          "-fuzz", "3%", "-trim", "-format", "%w %h %X %Y", "info:"],
                         capture_output=True, text=True, check=True).stdout.split()
    w, h, x, y = (int(v.lstrip("+")) for v in out)
    return (w, h, x - 1, y - 1), Path(f"{png}.png")


def expected_box(stretch, page_px):
    """The placement, from the picture in twips and the printable area at DPI."""
    twips = 1440 / DPI
    pw, ph = page_px[0] * twips, page_px[1] * twips
    w, h = PICTURE[0] * TWIPS_PER_PIXEL, PICTURE[1] * TWIPS_PER_PIXEL
    if stretch:
        sa, sb = (pw, pw / w * h) if ph < pw else (ph / h * w, ph)
    else:
        sa, sb = w, h
    ratio = 0
    if sa > pw:
        ratio = pw / sa
    if sb > ph:
        ratio = ratio or 1
        ratio = min(ratio, ph / sb)
    if ratio:
        sa, sb = sa * ratio, sb * ratio
    return sa / twips, sb / twips


def wait_started():
    # Asking for the window list the moment the program starts has been seen to
    # hang Wine's message calls for a minute while the printers are loaded: wait
    # for the tray icon first.
    wait_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                       "Wine System Tray"], capture_output=True).returncode == 0,
               60, what="the tray")
    wait_main_window()


def grab_screen(path):
    subprocess.run(f"xwd -root -silent | convert xwd:- PNG24:{path}", shell=True, check=True)


def normalised_rmse(a, b):
    run = subprocess.run(["compare", "-metric", "RMSE", f"{a}[0]", f"{b}[0]", "null:"],
                         capture_output=True, text=True)
    return float(run.stderr.split("(")[1].split(")")[0])


def printed_picture(page_png, box, size, work, name):
    """The picture's box cut from the rendered page and brought to `size`."""
    w, h, x, y = box
    out = work / f"{name}.png"
    subprocess.run(["convert", str(page_png), "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                    "-resize", f"{size[0]}x{size[1]}!", f"PNG24:{out}"], check=True)
    return out


@pytest.fixture
def print_scene(tmp_path, program, printer):
    pattern = tmp_path / "pattern.png"
    make_pattern(pattern, 400, 300)
    shown = PatternOnScreen(pattern, 200, 150)
    only_print_page(tmp_path)
    program()
    wait_started()
    # The screen as the capture will see it, for judging the printed pixels.
    grab_screen(tmp_path / "screen.png")
    open_print_page()
    yield printer, tmp_path
    shown.close()


def test_copies_pages_and_placement_on_the_pdf_printer(print_scene):
    printer, work = print_scene
    screenshot("print-page")
    # A count that is not a number reaches nothing.
    set_copies("abc")
    press_print()
    assert message("Tarnwick Vistrel") == "Can't print abc copies. Enter a correct value in \"Copy\""
    set_copies("70000")  # beyond a 16-bit number
    press_print()
    assert "Can't print 70000 copies" in message("Tarnwick Vistrel")
    assert printer.jobs() == []

    set_copies("1")
    press_print()
    (first,) = printer.wait_pdf(1)
    assert pages(first) == 1
    (w, h, x, y), page_png = drawn_box(first, work)
    ew, eh = expected_box(False, (2479, 3508))
    assert abs(w - ew) <= 1.5 and abs(h - eh) <= 1.5 and (x, y) == (0, 0), (w, h, x, y, ew, eh)
    shutil.copy(page_png, screenshot("print-page-printed-1"))
    # The box holds the capture's pixels, not a blank or foreign picture: the
    # whole picture brought back to the screen's size, and the part around the
    # pattern (sharp-edged blocks on a gradient) at its own size.
    screen = work / "screen.png"
    whole = printed_picture(page_png, (w, h, x, y), SCREEN, work, "printed-whole")
    assert normalised_rmse(whole, screen) < 0.02, "the printed picture is not the capture"
    scale = w / SCREEN[0]
    part = (round(400 * scale), round(300 * scale), round(200 * scale), round(150 * scale))
    cut = printed_picture(page_png, part, (400, 300), work, "printed-pattern")
    subprocess.run(["convert", str(screen), "-crop", "400x300+200+150", "+repage",
                    f"PNG24:{work / 'screen-pattern.png'}"], check=True)
    assert normalised_rmse(cut, work / "screen-pattern.png") < 0.03, \
        "the pattern is not where it was"

    set_copies("3")
    wait_until(lambda: page_driver("gettext", WIZARD, 2802)[1] == "Copies", 10,
               what="the label Copies")
    assert page_driver("check", WIZARD, "&Stretch picture to full page size", 1)[0] == 0
    press_print()
    third = [p for p in printer.wait_pdf(2) if p != first][0]
    assert pages(third) == 3
    (w, h, x, y), page_png = drawn_box(third, work)
    ew, eh = expected_box(True, (2479, 3508))
    assert abs(w - ew) <= 1.5 and abs(h - eh) <= 1.5 and (x, y) == (0, 0), (w, h, x, y, ew, eh)
    shutil.copy(page_png, screenshot("print-page-printed-stretched"))


def preview_geometry():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{PREVIEW}$",
                          "getwindowgeometry", "--shell"], capture_output=True, text=True).stdout
    values = dict(line.split("=") for line in out.split() if "=" in line)
    if not values:
        return None
    # X sees the client area; the window's frame lies around it.
    left, top, right, bottom = FRAME
    return (int(values["X"]) - left, int(values["Y"]) - top,
            int(values["WIDTH"]) + left + right, int(values["HEIGHT"]) + top + bottom)


def stored_placement():
    out = subprocess.run(["wine", "reg", "query",
                          r"HKCU\Software\VB and VBA Program Settings\Tarnwick Vistrel\Divers"],
                         capture_output=True, text=True, stdin=subprocess.DEVNULL).stdout
    found = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[0].startswith("Prev"):
            found[parts[0]] = float(parts[2])
    return found


def drag(x0, y0, x1, y1, steps=6):
    subprocess.run(["xdotool", "mousemove", str(x0), str(y0), "mousedown", "1"], check=True)
    for i in range(1, steps + 1):
        subprocess.run(["xdotool", "mousemove", str(x0 + (x1 - x0) * i // steps),
                        str(y0 + (y1 - y0) * i // steps)], check=True)
    subprocess.run(["xdotool", "mouseup", "1"], check=True)


def test_preview_opens_top_right_follows_a_drag_and_keeps_its_place(tmp_path, program):
    pattern = tmp_path / "pattern.png"
    make_pattern(pattern, 400, 300)
    shown = PatternOnScreen(pattern, 200, 150)
    straight_through(tmp_path)
    reg_add("Automate", 1, 0)
    reg_add("Show", 2, 0)
    program()
    wait_started()
    open_by_capture("&Preview...")
    assert page_driver("click", WIZARD, "&Preview...")[0] == 0
    wait_until(lambda: driver("text", "VistrelPreview", "-")[1] == PREVIEW, 60,
               what="the preview loaded")
    # Half the screen, at its top right corner.
    wait_until(lambda: preview_geometry() == (SCREEN[0] // 2, 0, SCREEN[0] // 2, SCREEN[1] // 2),
               10, what=f"the default place, not {preview_geometry()}")
    before = screenshot("preview-opened")
    # The capture's pattern lies at (200, 150) of the picture; drag it 30 right, 20 down.
    x, y, w, h = preview_geometry()
    grab = (x + 300, y + 260)
    drag(*grab, grab[0] + 30, grab[1] + 20)
    subprocess.run(["convert", str(before), "-crop", "300x200+%d+%d" % (x + 150, y + 150),
                    "+repage", str(tmp_path / "a.png")], check=True)
    from output_helpers import metric

    def followed():
        # The last mouse move's repaint may come a moment after the button is up.
        after = screenshot("preview-dragged")
        subprocess.run(["convert", str(after), "-crop", "300x200+%d+%d" % (x + 180, y + 170),
                        "+repage", str(tmp_path / "b.png")], check=True)
        return metric(tmp_path / "a.png", tmp_path / "b.png", "AE") == 0

    wait_until(followed, 10, interval=0.5, what="the picture to follow the drag")
    # Closed: its place and size are stored, in twips.
    assert driver("close", "VistrelPreview", "-")[0] == 0
    wait_until(lambda: preview_geometry() is None, 20, what="the preview to close")
    assert stored_placement() == {"PrevLeft": 14400, "PrevTop": 0, "PrevWidth": 14400,
                                  "PrevHeight": 8100}
    # Another place (the test display has no window manager to move it by its
    # caption): the next opening takes it, and closing keeps it.
    for key, value in {"PrevLeft": 3000, "PrevTop": 1500, "PrevWidth": 9000,
                       "PrevHeight": 6000}.items():
        reg_add("Divers", key, value)
    assert page_driver("click", WIZARD, "&Preview...")[0] == 0
    wait_until(lambda: preview_geometry() == (200, 100, 600, 400), 60,
               what="the preview at its stored place")
    screenshot("preview-reopened")
    assert driver("close", "VistrelPreview", "-")[0] == 0
    wait_until(lambda: preview_geometry() is None, 20, what="the preview to close")
    assert stored_placement() == {"PrevLeft": 3000, "PrevTop": 1500, "PrevWidth": 9000,
                                  "PrevHeight": 6000}
    shown.close()


def test_printer_setup_landscape_and_a_queue_that_fails(print_scene):
    printer, work = print_scene
    # The system's print set-up dialog, turned to landscape.
    assert page_driver("click", WIZARD, "Printer options...")[0] == 0
    wait_until(lambda: page_driver("shown", "Print Setup", "L&andscape")[0] == 0, 30,
               what="the print set-up dialog")
    assert page_driver("check", "Print Setup", "L&andscape", 1)[0] == 0
    # For the record: the dialog paints once the pointer passes over it (Wine's own
    # dialog on a display without a window manager); the picture is not judged here.
    shot = SHOTS / "print-setup-dialog.png"
    for x in range(700, 1100, 100):
        subprocess.run(["xdotool", "mousemove", str(x), "500"])
        subprocess.run(["import", "-window", "root", str(shot)])
        mean = subprocess.run(["convert", str(shot), "-crop", "200x100+835+490", "-format",
                               "%[fx:mean]", "info:"], capture_output=True, text=True).stdout
        if float(mean or 0) > 0.2:
            break
    assert page_driver("click", "Print Setup", "OK")[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, "Print")[0] == 0, 30, what="the print page")
    assert page_driver("gettext", WIZARD, 2804)[1] == "VistrelPDF on CUPS:VistrelPDF"
    press_print()
    (pdf,) = printer.wait_pdf(1)
    (w, h, x, y), page_png = drawn_box(pdf, work)
    ew, eh = expected_box(False, (3508, 2479))
    assert abs(w - ew) <= 1.5 and abs(h - eh) <= 1.5 and (x, y) == (0, 0), (w, h, x, y, ew, eh)
    shutil.copy(page_png, screenshot("print-page-printed-landscape"))
    jobs = printer.jobs()

    # A stopped queue refuses the job: the printer's error, and nothing stays queued.
    printer.stop_queue()
    press_print()
    assert message("Err: 482") == "Error occured: Possibly incompatible printer driver."
    assert printer.jobs() == jobs and printer.jobs("not-completed") == []

    # A deleted queue: the same message, no job, no PDF.
    printer.delete_queue()
    press_print()
    assert message("Err: 482") == "Error occured: Possibly incompatible printer driver."
    assert printer.pdfs() == [pdf]


def notepads():
    return [line for line in driver("list")[1].splitlines()
            if "Notepad" in line and line.endswith("visible")]


def test_debug_mode_dumps_each_copy_and_an_unwritable_dump_loses_no_page(tmp_path, program,
                                                                           printer):
    # The program from a folder of its own: debug.txt is written beside it.
    folder = tmp_path / "dist"
    shutil.copytree(DIST, folder)
    straight_through(tmp_path)
    for page, shown in ((1, 0), (6, 0)):
        reg_add("Show", page, shown)
    reg_add("Automate", 1, 0)
    program("debug", exe=str(folder / "vistrel.exe"), cwd=folder)
    wait_started()
    open_by_capture("Selected area...")
    # A rectangle drawn in the area selector gives the dump its selection lines.
    assert page_driver("click", WIZARD, "Selected area...")[0] == 0
    selector = "Autocropping Selector"
    wait_until(lambda: page_driver("shown", selector, "cursor selection")[0] == 0, 30,
               what="the area selector")
    assert page_driver("click", selector, "cursor selection")[0] == 0
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", selector,
                          "getwindowgeometry", "--shell"], capture_output=True, text=True).stdout
    geometry = dict(line.split("=") for line in out.split() if "=" in line)
    x, y = int(geometry["X"]), int(geometry["Y"])
    drag(x + 300, y + 300, x + 500, y + 420)
    assert page_driver("click", selector, "&Back to Vistrel Wizard")[0] == 0

    # One Next walks the hidden pages to the print page. A second click would
    # reach the print page's Next, which minimizes the wizard.
    wait_until(lambda: page_driver("shown", WIZARD, "Selected area...")[0] == 0, 30,
               what="the wizard back on its crop page")
    assert page_driver("click", WIZARD, "&Next >")[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, "Print")[0] == 0, 60, interval=0.5,
               what="the print page")

    set_copies("2")
    press_print()
    (pdf,) = printer.wait_pdf(1)
    assert pages(pdf) == 2
    lines = (folder / "debug.txt").read_bytes().split(b"\r\n")
    assert lines[-1] == b"" and len(lines) == 31, lines
    assert lines[0] == b"[Printer Data]" and lines[29] == b"X: "
    assert lines[5].startswith(b"sa: ") and len(lines[5]) > 4, "line 6 holds the first copy's width"
    assert lines[28] == b"ConStr: 13369376"
    wait_until(lambda: len(notepads()) == 2, 60, what="the dump opened once per copy")
    driver("kill", "notepad.exe")

    # debug.txt cannot be written: the pages are printed all the same, then it is said.
    (folder / "debug.txt").unlink()
    (folder / "debug.txt").mkdir()
    set_copies("1")
    press_print()
    text = message("Err: 75")
    assert "debug.txt" in text and text.startswith("Error occured: "), text
    assert len(printer.wait_pdf(2)) == 2
