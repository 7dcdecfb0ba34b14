"""Settings that cannot be written: the program's settings key is made
read-only through the registry's own access list (Wine checks it on every
write). The capture and its save still work, the user is told once that the
settings cannot be kept, with the system's cause, and never again per value."""
import time

import pytest

from harness import DRIVER, Program, wait_until, wine_run
from output_helpers import capture, straight_through, wait_complete, wait_main_window
from test_error_paths import TITLE, message_box, next_message

KEY = r"Software\VB and VBA Program Settings\Tarnwick Vistrel"
LOCK = DRIVER.parent / "reg_lock.exe"
REFUSED = ("The settings cannot be kept: they could not be written to the registry.\n"
           "Access denied. (HKEY_CURRENT_USER\\" + KEY + "\\")
GOES_ON = ("Captures and outputs go on with this session's settings; changes are lost when the "
           "program ends.")


def lock(verb):
    run = wine_run([LOCK, verb, KEY])
    assert run.returncode == 0, f"reg_lock {verb}: {run.returncode}"


@pytest.fixture
def locked(tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    straight_through(out, fmt=0)
    lock("lock")
    try:
        assert wine_run([LOCK, "probe", KEY + r"\Divers"]).returncode == 5, "the lock holds"
        yield out
    finally:
        lock("unlock")


def test_settings_that_cannot_be_kept(locked):
    out = locked
    program = Program()
    try:
        wait_main_window()
        for turn in range(2):
            capture()
            saved = wait_complete(out / "Vistrel.bmp")
            assert saved.read_bytes()[:2] == b"BM"
            if turn == 0:
                text = next_message().replace("\r", "")
                assert text.startswith(REFUSED), text
                assert text.endswith(GOES_ON), text
            saved.unlink()
        # The second capture saved its settings again: nothing more is said.
        deadline = time.monotonic() + 2
        while time.monotonic() < deadline:
            assert message_box() is None, "the refusal was said again"
            time.sleep(0.3)
        assert program.running()
    finally:
        program.stop()
