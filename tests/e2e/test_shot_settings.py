"""Print Screen straight to a png file leaves the settings in the registry as the
program has always left them: the full export of its key after the walk is the
one the program wrote before it skipped writes of unchanged values, including
values it must normalise, retype or create."""
import subprocess
import tempfile
from pathlib import Path

import pytest

from harness import wait_until
from output_helpers import (SETTINGS, capture, reg_add, straight_through, wait_complete,
                            wait_main_window, wine_path)

pytestmark = pytest.mark.managed_windows

FOLDER = "<output folder>"

# The export after the walk below, as the program wrote it when it saved every
# value at every page move.
EXPECTED = {
    "Automate": {"0": '"0"', "1": '"1"', "2": '"0"', "3": '"0"', "4": '"0"', "5": '"0"',
                 "6": '"0"', "7": '"0"', "8": '"0"', "CropStyle": '"1"', "UseCropOrEdit": '"1"'},
    "Divers": {"EndAfterShot": '"0"', "Effect0": '"0"', "Effect1": '"0"', "Effect2": '"0"',
               "FileFormat": '"3"', "MailAsExe": '"0"', "MailAsZip": '"0"',
               "MessageBody": '""', "Name": '"Vistrel"', "NewbieTip": '"False"',
               "Path": f'"{FOLDER}"', "Rotate": '"0"', "SaveAsExe": '"0"', "SaveAsZip": '"0"',
               "ScaleSystem": '"0"', "Scaleing": '"100"', "StretchToPage": '"0"',
               "Subject": '""'},
    "Show": {str(page): '"1"' for page in range(7)},
}


def reg(*args):
    return subprocess.run(["wine", "reg", *args], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=60)


def exported_settings(folder):
    """Every value under the program's key, by section, as `reg export` writes them."""
    with tempfile.TemporaryDirectory() as work:
        target = Path(work) / "settings.reg"
        assert reg("export", SETTINGS, wine_path(target), "/y").returncode == 0
        text = target.read_bytes().decode("utf-16")
    sections, current = {}, None
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            name = line[1:-1].rpartition("\\")[2]
            current = sections.setdefault(name, {}) if "\\Tarnwick Vistrel\\" in line else None
        elif current is not None and line.startswith('"'):
            key, _, value = line[1:].partition('"=')
            current[key] = value.replace(wine_path(folder).replace("\\", "\\\\"), FOLDER)
    return sections


@pytest.fixture
def seeded(tmp_path):
    reg("delete", SETTINGS, "/f")
    out = tmp_path / "out"
    out.mkdir()
    straight_through(out, fmt=3)
    # Values the walk must rewrite: text the rotation box normalises, a page box
    # stored as a number, and a missing mail subject.
    reg_add("Divers", "Rotate", "0abc")
    reg("add", f"{SETTINGS}\\Show", "/v", "3", "/t", "REG_DWORD", "/d", "1", "/f")
    reg("delete", f"{SETTINGS}\\Divers", "/v", "Subject", "/f")
    yield out
    reg("delete", SETTINGS, "/f")


def test_walk_to_a_png_leaves_the_settings_it_always_left(seeded, program):
    running = program()
    wait_main_window()
    capture()
    wait_complete(seeded / "Vistrel.png")
    # The walk ends after the save; the settings are final once the program idles again.
    # The saved file joins the recent captures, a value that names it and its time.
    def settings():
        sections = exported_settings(seeded)
        recent = sections.get("Divers", {}).pop("RecentCaptures", "")
        return sections, "Vistrel.png" in recent

    try:
        wait_until(lambda: settings() == (EXPECTED, True), 30, interval=0.5,
                   what="the settings of the finished walk")
    except AssertionError:
        assert settings() == (EXPECTED, True)
    assert running.running()
