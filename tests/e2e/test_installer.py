"""The installer of packages/ under Wine: a silent install, the installed
program capturing and saving, a silent uninstall that leaves no file, Start-menu
entry, registration or autostart value behind and keeps the user's settings
unless asked. Runs where the tests run the 32-bit program (VISTREL_PACKAGES)."""
import os
import subprocess
from pathlib import Path

import pytest

from harness import driver, wait_until
from output_helpers import SETTINGS, capture, straight_through, wait_complete, wait_main_window

PACKAGES = os.environ.get("VISTREL_PACKAGES")
pytestmark = pytest.mark.skipif(not PACKAGES, reason="the installer is tested with the 32-bit program")

PRODUCT = "Tarnwick Vistrel"
UNINSTALL_KEY = rf"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{PRODUCT}"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"


def wine(*args, timeout=300):
    return subprocess.run(["wine", *map(str, args)], capture_output=True, text=True,
                          timeout=timeout, stdin=subprocess.DEVNULL)


def reg_query(key, value=None):
    """The value's data, or None when it (or the key) is missing. The installer is a
    32-bit program: its machine-wide keys are in the 32-bit view of the registry."""
    args = ["reg", "query", key, "/reg:32"] + (["/v", value] if value else [])
    run = wine(*args)
    if run.returncode != 0:
        return None
    if value is None:
        return run.stdout
    for line in run.stdout.splitlines():
        parts = line.split(None, 2)
        if parts and parts[0] == value:
            return parts[2] if len(parts) == 3 else ""
    return None


def unix_path(windows_path):
    return Path(subprocess.run(["winepath", "-u", windows_path], capture_output=True, text=True,
                               check=True).stdout.strip())


def start_menu_entry():
    return Path(os.environ["WINEPREFIX"]) / "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
        / f"{PRODUCT}.lnk"


def install():
    setup = next(Path(PACKAGES).glob("vistrel-*-setup.exe"))
    assert wine(setup, "/S").returncode == 0
    location = reg_query(UNINSTALL_KEY, "InstallLocation")
    assert location, "no registration in the list of installed programs"
    folder = unix_path(location)
    assert "Program Files" in location, location
    return location, folder


def uninstall(location, folder, *options):
    # The uninstaller runs a copy of itself from the temporary folder and returns at once.
    assert wine(f"{location}\\uninstall.exe", "/S", *options).returncode == 0
    wait_until(lambda: not folder.exists(), timeout=120, what="the installed folder to be removed")


def test_silent_install_runs_the_program_and_uninstall_removes_it(tmp_path, program):
    dist = Path(os.environ["VISTREL_E2E_DIST"])
    location, folder = install()
    shipped = sorted(p.name for p in dist.iterdir())
    assert sorted(p.name for p in folder.iterdir()) == sorted(shipped + ["uninstall.exe"])
    assert start_menu_entry().exists()
    assert reg_query(UNINSTALL_KEY, "DisplayVersion") == "99.0.55"

    out = tmp_path / "out"
    out.mkdir()
    straight_through(out, fmt=3)
    program(exe=str(folder / "vistrel.exe"), cwd=folder)
    try:
        wait_main_window()
        capture()
        wait_complete(out / "Vistrel.png")
    finally:
        driver("kill", "vistrel.exe")
    # What the program's start-up window writes when "Start this program with Windows" is
    # set, where the program writes it: reg.exe's own view, as the shell's tests read it
    # (a first write into the 32-bit view would make a key of its own there).
    assert wine("reg", "add", RUN_KEY, "/v", PRODUCT, "/d", f"{location}\\vistrel.exe",
                "/f").returncode == 0

    uninstall(location, folder)
    assert not start_menu_entry().exists()
    assert reg_query(UNINSTALL_KEY) is None
    assert wine("reg", "query", RUN_KEY, "/v", PRODUCT).returncode != 0, "the Run value stayed"
    assert wine("reg", "query", f"{SETTINGS}\\Divers", "/v", "FileFormat").returncode == 0, \
        "the user's settings went without being asked"

    # Asked to, the uninstaller takes the settings too.
    location, folder = install()
    uninstall(location, folder, "/REMOVESETTINGS")
    assert wine("reg", "query", SETTINGS).returncode != 0, "the settings stayed"
