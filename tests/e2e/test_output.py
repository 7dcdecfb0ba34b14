"""Effects and saving through the whole program: capture with the Print Screen
key, the wizard's save (automatic and by its button), the files checked with
ImageMagick and Python's zipfile."""
import zipfile
from pathlib import Path

import pytest

from harness import screenshot, wait_until
from output_helpers import (WIZARD, PatternOnScreen, capture, identify, make_pattern, metric,
                            page_driver, region, show_every_page, straight_through,
                            temporary_files, wait_complete, wait_main_window, walk_to_page)

PATTERN_AT = (200, 150)
PATTERN_SIZE = (400, 300)
# The viewer's window border (2 pixels) lies around the picture.
PATTERN_INSIDE = (PATTERN_AT[0] + 2, PATTERN_AT[1] + 2)
EXTENSIONS = ["bmp", "jpg", "tif", "png", "pcx", "dcx"]


@pytest.fixture
def scene(tmp_path, program):
    """The program running, a known picture on the screen, an empty output folder."""
    pattern = tmp_path / "pattern.png"
    make_pattern(pattern, *PATTERN_SIZE)
    shown = PatternOnScreen(pattern, *PATTERN_AT)
    out = tmp_path / "out"
    out.mkdir()
    straight_through(out)
    program()
    wait_main_window()
    yield pattern, out, tmp_path
    shown.close()


def pattern_part(path, work):
    return region(path, *PATTERN_SIZE, *PATTERN_INSIDE, work / f"part-{Path(path).name}.png")


def test_every_format_holds_the_capture_and_names_are_numbered(scene):
    pattern, out, work = scene
    for index, ext in enumerate(EXTENSIONS):
        straight_through(out, fmt=index)
        capture()
        saved = wait_complete(out / f"Vistrel.{ext}")
        width, height, _ = identify(saved)
        assert (width, height) == (1920, 1080), ext
        part = pattern_part(saved, work)
        if ext == "jpg":
            assert metric(part, pattern, "PSNR") >= 38, "jpg too far from the capture"
        else:
            assert metric(part, pattern, "AE") == 0, f"{ext} pixels differ from the capture"
    # A second bmp save takes the next number.
    straight_through(out, fmt=0)
    capture()
    wait_complete(out / "Vistrel1.bmp")
    assert metric(pattern_part(out / "Vistrel1.bmp", work), pattern, "AE") == 0


def test_effects_match_what_imagemagick_makes_of_the_capture(scene):
    pattern, out, work = scene
    capture()
    reference = wait_complete(out / "Vistrel.bmp")
    straight_through(out, fmt=3, rotate="90", scale="50", effects=(1, 1, 1))
    capture()
    result = wait_complete(out / "Vistrel.png")
    width, height, _ = identify(result)
    expected = work / "expected.png"
    import subprocess
    subprocess.run(["convert", str(reference), "-rotate", "90", "-flop", "-flip", "-negate",
                    "-resize", "50%", f"PNG24:{expected}"], check=True)
    ew, eh, _ = identify(expected)
    assert abs(width - ew) <= 1 and abs(height - eh) <= 1, (width, height, ew, eh)
    if (width, height) != (ew, eh):
        subprocess.run(["convert", str(expected), "-resize", f"{width}x{height}!",
                        f"PNG24:{expected}"], check=True)
    # Scaling filters differ between any two programs; orientation or colour
    # mistakes drop far below this.
    assert metric(result, expected, "PSNR") >= 20


def test_archive_mode_packs_one_picture_and_leaves_no_temporary_file(scene):
    pattern, out, work = scene
    straight_through(out, fmt=1, zip_=1)
    capture()
    archive = wait_complete(out / "Vistrel.zip")
    wait_until(lambda: zipfile.is_zipfile(archive), what="a complete archive")
    with zipfile.ZipFile(archive) as packed:
        names = packed.namelist()
        assert len(names) == 1 and names[0].lower().endswith(".jpg"), names
        (work / "inner.jpg").write_bytes(packed.read(names[0]))
    assert metric(pattern_part(work / "inner.jpg", work), pattern, "PSNR") >= 38
    assert sorted(p.name for p in out.iterdir()) == ["Vistrel.zip"]
    screenshot("output-archive-saved")
    # The temporary picture goes once the archive is complete.
    wait_until(lambda: not temporary_files("*_*_*_*_*_*.jpg"), 20,
               what="the temporary picture to be removed")


def test_self_executable_archive(scene):
    pattern, out, work = scene
    straight_through(out, fmt=1, zip_=1, exe=1)
    capture()
    exe = wait_complete(out / "Vistrel.exe")
    assert exe.read_bytes()[:2] == b"MZ"
    # The archive behind the stub holds the picture; the zip it was made from is gone.
    wait_until(lambda: sorted(p.name for p in out.iterdir()) == ["Vistrel.exe"], 20,
               what="the archive to be turned into the executable")
    with zipfile.ZipFile(exe) as packed:
        names = packed.namelist()
        assert len(names) == 1 and names[0].lower().endswith(".jpg"), names
        assert packed.testzip() is None
    wait_until(lambda: not temporary_files("*_*_*_*_*_*.jpg"), 20,
               what="the temporary picture to be removed")


def test_effects_and_save_pages_by_their_buttons(scene):
    pattern, out, work = scene
    show_every_page(out, fmt=3)
    capture()
    walk_to_page("Invert Image", timeout=30)
    screenshot("output-effects-page")
    assert page_driver("click", WIZARD, "&Next >")[0] == 0
    wait_until(lambda: page_driver("shown", WIZARD, "Sa&ve")[0] == 0, timeout=30,
               what="the save page")
    screenshot("output-save-page")
    assert page_driver("click", WIZARD, "Sa&ve")[0] == 0
    saved = wait_complete(out / "Vistrel.png")
    assert metric(pattern_part(saved, work), pattern, "AE") == 0
    wait_until(lambda: page_driver("shown", WIZARD, "Sa&ve")[0] == 0, what="the page again")
