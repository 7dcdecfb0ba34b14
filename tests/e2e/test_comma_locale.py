"""The program as a German user runs it (decimal comma, OEM code page 850), in one
run: effects on a size whose unit width is fractional, then a zero-size selection
that must not save the previous picture again."""
import pytest

from harness import comma_locale, driver, wine_run
from output_helpers import (capture, identify, reg_add, straight_through, wait_complete,
                            wait_main_window)

TITLE = "Tarnwick Vistrel"
EMPTY_PICTURE = ("There is no picture to output: the selected area is empty. Nothing was "
                 "written. Choose another area or take a new capture.")


@pytest.fixture(scope="module")
def german(tmp_path_factory):
    return comma_locale(tmp_path_factory.mktemp("locale"))


def answer_box(timeout_ms=60000):
    """Waits for a message box of the program, presses OK (1), returns its text."""
    code, text = driver("msgbox", TITLE, 1, timeout_ms, timeout=timeout_ms / 1000 + 30)
    assert code == 0, "no message box"
    return text


def test_harness_reads_wine_output_in_the_oem_code_page(german):
    # reg.exe answers a missing key in German, with an umlaut in cp850.
    run = wine_run(["reg", "query", r"HKCU\Software\No such key here"], env=german)
    assert run.returncode != 0
    assert "Schlüssel" in run.stdout + run.stderr


def test_effects_and_an_empty_selection_under_a_decimal_comma(tmp_path, program, german):
    out = tmp_path / "out"
    out.mkdir()
    # Millimeter at 50 %: the width box holds 252,631578947368 (a decimal comma).
    straight_through(out, fmt=0, scale="50")
    reg_add("Divers", "ScaleSystem", 2)
    program(env=german)
    wait_main_window()
    capture()
    saved = wait_complete(out / "Vistrel.bmp")
    assert identify(saved)[:2] == (960, 540), "the width went to the component cut or split"

    # A zero-size selection: warned at the crop, refused at the save, nothing written.
    reg_add("Automate", "CropStyle", 2)
    reg_add("Divers", "Wahl", 2)
    capture()
    assert answer_box() == "You've set the screen-shot size to zero. Any output will be empty!"
    assert answer_box() == EMPTY_PICTURE
    assert sorted(p.name for p in out.iterdir()) == ["Vistrel.bmp"]
