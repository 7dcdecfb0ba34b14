"""Faults of the disk the pictures go to, injected under one program start: the
target folder is a small tmpfs that is first full, then remounted read-only,
then gone between the save page and the save. Every save says what failed and
why (the system's own words and the path), leaves no partial or temporary file
behind, and an archive of the same name that was there before still tests
whole. The tests run as root: only a mount can stop root from writing."""
import os
import re
import signal
import subprocess
import zipfile
from pathlib import Path

import pytest

from harness import Program, screenshot, wait_until, wine_run
from mail_server import MailServer
from output_helpers import (WIZARD, capture, page_driver, reg_add, show_every_page, walk_to_page,
                            straight_through, wait_complete, wait_main_window, wine_path,
                            wine_temp)
import test_error_paths

CANNOT_WRITE = "Could not write to that disk / path."
FORMATS = ("bmp", "jpg", "tif", "png", "pcx", "dcx")
EARLIER = {"earlier.txt": b"an archive saved before the disk filled up\n" * 50}

pytestmark = pytest.mark.skipif(os.geteuid() != 0, reason="mounting a tmpfs needs root")


def next_message():
    """The program's next message, its lines as the program wrote them."""
    return test_error_paths.next_message().replace("\r\n", "\n")


# What the system says of the three causes: FormatMessage under Wine, which
# reports a read-only mount as a denied access (Windows words them "There is
# not enough space on the disk.", "Access is denied." and so on).
DISK_FULL, READ_ONLY, PATH_NOT_FOUND = "Disk full.", "Access denied.", "Path not found."


def mounted(point):
    return subprocess.run(["mountpoint", "-q", str(point)]).returncode == 0


@pytest.fixture(scope="module")
def disk(tmp_path_factory):
    """A 2 MB tmpfs, always unmounted at the end, whatever failed."""
    point = tmp_path_factory.mktemp("faults") / "stick"
    point.mkdir()
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=2m,mode=0777", "tmpfs", str(point)],
                   check=True)
    try:
        yield point
    finally:
        for _ in range(3):
            if not mounted(point):
                break
            subprocess.run(["umount", "-l", str(point)], check=False)


@pytest.fixture(scope="module")
def vistrel(disk):
    # What the start reads: no first-use tip standing in the way of the captures.
    reg_add("Divers", "NewbieTip", "False")
    program = Program()
    try:
        wait_main_window()
        yield program
    finally:
        program.stop()


def fill(folder):
    """Writes a file that takes every byte left on the disk."""
    fd = os.open(folder / "filler", os.O_WRONLY | os.O_CREAT, 0o644)
    try:
        for size in (65536, 1):
            try:
                while os.write(fd, b"\0" * size):
                    pass
            except OSError:
                pass
    finally:
        os.close(fd)


def earlier_archive(folder):
    with zipfile.ZipFile(folder / "Vistrel.zip", "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in EARLIER.items():
            archive.writestr(name, data)


def check_earlier_archive(folder):
    run = subprocess.run(["unzip", "-t", str(folder / "Vistrel.zip")], capture_output=True,
                         text=True)
    assert run.returncode == 0, run.stdout + run.stderr
    with zipfile.ZipFile(folder / "Vistrel.zip") as archive:
        assert {n: archive.read(n) for n in archive.namelist()} == EARLIER


def kept_picture(message):
    """The temporary picture the archive message names; removed here, as a user would."""
    match = re.search(r'The picture was kept as "([^"]+)"\.', message)
    assert match, message
    return match.group(1)


def remove_kept(windows_path):
    drive_c = Path(os.environ.get("WINEPREFIX", Path.home() / ".wine")) / "drive_c"
    path = windows_path.replace("\\", "/")
    if path[:2].upper() == "C:":
        (drive_c / path[3:]).unlink(missing_ok=True)


def save_fails_with_cause(folder, cause, before, formats=FORMATS, exes=(0, 1)):
    """Every format, the zip and the self-extractor, saved straight through into
    `folder`: each says the system's cause with the path and changes nothing there."""
    straight_through(folder)
    # Between captures only what changes is written: each write is a Wine program's start.
    for extension in formats:
        reg_add("Divers", "FileFormat", FORMATS.index(extension))
        capture()
        target = wine_path(folder / f"Vistrel.{extension}")
        assert next_message() == f"{CANNOT_WRITE}\n{cause} ({target})", extension
        assert sorted(os.listdir(folder)) == before, f"{extension} left a file"
    reg_add("Divers", "FileFormat", 1)
    reg_add("Divers", "SaveAsZip", 1)
    for exe in exes:
        reg_add("Divers", "SaveAsExe", exe)
        capture()
        message = next_message()
        zip_path = wine_path(folder / "Vistrel.zip")
        assert message.startswith(f'The zip-file "Vistrel.zip" could not be written in the '
                                  f'folder "{wine_path(folder)}".'), message
        assert message.endswith(f"\n{cause} ({zip_path})"), message
        remove_kept(kept_picture(message))
        assert sorted(os.listdir(folder)) == before, "the archive step left a file"
        check_earlier_archive(folder)


def test_full_disk(disk, vistrel):
    """An earlier archive of the same name is on the disk, which is then filled."""
    earlier_archive(disk)
    fill(disk)
    try:
        save_fails_with_cause(disk, DISK_FULL, sorted(os.listdir(disk)))
    finally:
        (disk / "filler").unlink()


def test_read_only_folder(disk, vistrel):
    """The same folder, with room to spare, remounted read-only."""
    if not (disk / "Vistrel.zip").exists():
        earlier_archive(disk)
    subprocess.run(["mount", "-o", "remount,ro", str(disk)], check=True)
    try:
        save_fails_with_cause(disk, READ_ONLY, sorted(os.listdir(disk)), formats=("bmp", "jpg"),
                              exes=(0,))
    finally:
        subprocess.run(["mount", "-o", "remount,rw", str(disk)], check=True)


def test_folder_gone_before_the_save(vistrel, tmp_path):
    """The folder goes away while the save page is open: the message names the
    folder, and the picture, still on the page, is saved once the folder is back."""
    gone = tmp_path / "pictures"  # on a disk with room for the whole picture
    gone.mkdir()
    show_every_page(gone, fmt=0)
    capture()
    walk_to_page("Sa&ve")
    gone.rmdir()
    assert page_driver("click", WIZARD, "Sa&ve")[0] == 0
    assert next_message() == f"{CANNOT_WRITE}\n{PATH_NOT_FOUND} ({wine_path(gone)})"
    gone.mkdir()
    assert page_driver("click", WIZARD, "Sa&ve")[0] == 0
    try:
        saved = wait_complete(gone / "Vistrel.bmp")
    finally:
        screenshot("disk-faults-folder-back")
    assert saved.read_bytes()[:2] == b"BM"
    assert sorted(os.listdir(gone)) == ["Vistrel.bmp"]


def test_killed_in_a_save(vistrel, tmp_path):
    """Killed while writing a full-screen bitmap: the final name holds nothing
    or the whole picture; the next start removes the partial files a dead run
    left (ours only: a user's file of a like name stays). Then killed while
    packing an archive: the final name holds the old archive or the whole new one,
    and the next start removes the archive's working copy and the picture the
    dead run had put in its own temporary folder."""
    out = tmp_path / "killed"
    out.mkdir()
    straight_through(out, fmt=0)
    temp = wine_temp()
    planted = temp / "Vistrel.bmp.vistrel-4000000001.part"
    planted.write_bytes(b"half a picture")
    users = [temp / "notes.part", temp / "Vistrel.bmp.part"]
    for path in users:
        path.write_bytes(b"the user's")
    try:
        capture()
        # Killed the moment the partial file shows, or as soon after as we can.
        wait_until(lambda: list(out.iterdir()), 60, interval=0.01, what="the save to start")
        try:
            os.killpg(vistrel.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        vistrel.stop()
        final = out / "Vistrel.bmp"
        if final.exists():
            assert final.stat().st_size == 54 + 1920 * 3 * 1080, "a half-written picture"
        leftovers = [p.name for p in out.iterdir() if p.name != "Vistrel.bmp"]
        assert all(".vistrel-" in name and name.endswith(".part") for name in leftovers), \
            leftovers

        # The next start tidies up, in the save folder it was given and the temporary one.
        again = Program()
        try:
            wait_main_window()
            wait_until(lambda: not planted.exists(), 30, what="the leftover to go")
            assert [p.name for p in out.iterdir() if p.name != "Vistrel.bmp"] == []
            assert all(path.exists() for path in users), "a file not ours was removed"

            # Killed while the archive is written: the old archive stays whole until
            # the new one replaces it whole.
            packed = tmp_path / "packed"
            packed.mkdir()
            earlier_archive(packed)
            temp_before = set(temp.iterdir())
            straight_through(packed, fmt=0, zip_=1)
            capture()
            wait_until(lambda: len(os.listdir(packed)) > 1, 60, interval=0.005,
                       what="the archive's new copy to start")
            os.killpg(again.process.pid, signal.SIGKILL)
            again.stop()
            with zipfile.ZipFile(packed / "Vistrel.zip") as archive:
                names = archive.namelist()
            if names == list(EARLIER):
                check_earlier_archive(packed)
            else:  # the whole new archive: the earlier entry and the picture
                run = subprocess.run(["unzip", "-t", str(packed / "Vistrel.zip")],
                                     capture_output=True, text=True)
                assert run.returncode == 0, run.stdout + run.stderr
                assert sorted(names) == sorted([*EARLIER, "Vistrel.bmp"]), names
            third = Program()
            try:
                wait_main_window()
                wait_until(lambda: os.listdir(packed) == ["Vistrel.zip"], 30,
                           what=f"the archive's leftovers to go: {os.listdir(packed)}")
                wait_until(lambda: set(temp.iterdir()) == temp_before, 30,
                           what="the dead run's temporary folder to go")
            finally:
                third.stop()
        finally:
            again.stop()
    finally:
        for path in [planted, *users]:
            path.unlink(missing_ok=True)


def test_temporary_folder_full(disk, tmp_path):
    """The temporary folder is on the full disk: the archive save and the mail
    both say so with the cause, nothing is mailed and nothing is left there."""
    environment = r"HKCU\Environment"
    before = {name: wine_run(["reg", "query", environment, "/v", name]).stdout
              for name in ("TEMP", "TMP")}
    out = tmp_path / "out"
    out.mkdir()
    server = MailServer()
    fill(disk)
    program = None
    try:
        for name in ("TEMP", "TMP"):
            assert wine_run(["reg", "add", environment, "/v", name, "/t", "REG_EXPAND_SZ", "/d",
                             wine_path(disk), "/f"]).returncode == 0
        straight_through(out, fmt=3, zip_=1)
        reg_add("Automate", 8, 1)
        reg_add("Mail", "SMTP_Server", f"127.0.0.1:{server.port}")
        reg_add("Mail", "Reply_Address", "me@sender.test")
        reg_add("Addressbook", "Last", "anna@example.test")
        for key, value in {"Subject": "Screen shot", "MessageBody": "Here it is.",
                           "MailAsZip": 1, "MailAsExe": 0}.items():
            reg_add("Divers", key, value)
        before_files = sorted(os.listdir(disk))
        program = Program()
        wait_main_window()
        capture()
        saved = next_message()
        assert saved.startswith(CANNOT_WRITE + "\n" + DISK_FULL + " (" + wine_path(disk)), saved
        mailed = next_message()
        assert mailed.startswith("SendMail-Error while converting."), mailed
        assert f"\n{DISK_FULL} ({wine_path(disk)}" in mailed, mailed
        assert server.count() == 0, "something half-made was mailed"
        assert sorted(os.listdir(disk)) == before_files
        assert list(out.iterdir()) == []
    finally:
        if program:
            program.stop()
        for name, query in before.items():
            match = re.search(rf"{name}\s+REG_\w+\s+(.+)", query)
            if match:
                wine_run(["reg", "add", environment, "/v", name, "/t", "REG_EXPAND_SZ", "/d",
                          match.group(1).strip(), "/f"])
        server.stop()
        (disk / "filler").unlink(missing_ok=True)
