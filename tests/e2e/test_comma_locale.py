"""The program as a German user runs it (decimal comma, OEM code page 850), in one
run: effects on a size whose unit width is fractional, then a zero-size selection
that must not save the previous picture again."""
import subprocess

import pytest

from harness import comma_locale, driver, restart_wine, screenshot, wait_until, wine_run
from output_helpers import (capture, identify, reg_add, straight_through, wait_complete,
                            wait_main_window)

TITLE = "Tarnwick Vistrel"
ZERO_SIZE = "You've set the screen-shot size to zero. Any output will be empty!"
EMPTY_PICTURE = ("There is no picture to output: the selected area is empty, or the effects "
                 "could not be applied to it. Nothing was written. Choose another area, change "
                 "the effects or take a new capture.")


@pytest.fixture(scope="module")
def german(tmp_path_factory):
    """Every Wine program of these tests runs under the German locale, in a Wine
    session of its own: the registry helpers, the driver and Wine's own programs too."""
    env = comma_locale(tmp_path_factory.mktemp("locale"))
    with pytest.MonkeyPatch.context() as patch:
        for name in ("LOCPATH", "LANG", "LC_ALL"):
            patch.setenv(name, env[name])
        restart_wine()
        yield env
    restart_wine()


def x_windows(visible):
    args = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--class",
                                                                             "vistrel.exe"]
    return subprocess.run(args, capture_output=True, text=True).stdout.split()


def test_harness_reads_wine_output_in_the_oem_code_page(german):
    # reg.exe answers a missing key in German, with an umlaut in cp850.
    run = wine_run(["reg", "query", r"HKCU\Software\No such key here"])
    assert run.returncode != 0
    assert "Schlüssel" in run.stdout + run.stderr


def test_effects_and_an_empty_selection_under_a_decimal_comma(tmp_path, program, german):
    out = tmp_path / "out"
    out.mkdir()
    # Millimeter at 50 %: the width box holds 252,631578947368 (a decimal comma).
    straight_through(out, fmt=0, scale="50")
    reg_add("Divers", "ScaleSystem", 2)
    program()
    # A Wine program started while the program starts up under this locale has been
    # seen to wait for good: watch the start-up picture come and go from X first.
    wait_until(lambda: x_windows(visible=True), 120, what="the start-up picture")
    wait_until(lambda: not x_windows(visible=True), 120, what="the start-up picture to go")
    wait_main_window()
    capture()
    saved = wait_complete(out / "Vistrel.bmp")
    assert identify(saved)[:2] == (960, 540), "the width went to the component cut or split"

    # A zero-size selection: warned at the crop, refused at the save, nothing written.
    reg_add("Automate", "CropStyle", 2)
    reg_add("Divers", "Wahl", 2)
    capture()
    # The zero-size warning (it may come twice on the way through the hidden pages),
    # then the save's refusal. A box read while it was still being built shows no text.
    texts = []
    while EMPTY_PICTURE not in texts and len(texts) < 4:
        code, text = driver("msgbox", TITLE, 1, 90000, timeout=150)
        if code != 0:
            break
        texts.append(text)
        driver("gone", "#32770", TITLE, 5000)  # the next box is not this one closing
    screenshot("comma-locale-zero-size")
    assert EMPTY_PICTURE in texts, texts
    assert set(texts) <= {EMPTY_PICTURE, ZERO_SIZE, ""}, texts
    assert sorted(p.name for p in out.iterdir()) == ["Vistrel.bmp"]
