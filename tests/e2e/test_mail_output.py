"""The mail's output steps through the whole program, with its temporary folder
pointed at one of ours: a zip attachment that Python's zipfile opens and that holds
the capture; an archive step that cannot write (its name taken by a folder) and a
temporary folder that is gone, where no mail goes out, the message says which file
could not be made, and no temporary file stays. One program start for all three."""
import time
import zipfile

from harness import driver, screenshot, wait_until
from output_helpers import (PatternOnScreen, capture, make_pattern, metric, region,
                            own_temp_folder, wait_main_window, wine_path, ProgramWithTemp)
from test_mail import check_headers, mail_settings, server  # noqa: F401 (fixture)

PATTERN_AT = (200, 150)
PATTERN_SIZE = (400, 300)
PATTERN_INSIDE = (PATTERN_AT[0] + 2, PATTERN_AT[1] + 2)
TITLE = "Tarnwick Vistrel"
SENDING = "Sending Mail..."


def message(caption, shot, timeout=90):
    """The text of the next message box with that caption, after pressing its OK."""
    code, _ = driver("wait", "#32770", caption, timeout * 1000, timeout=timeout + 30)
    assert code == 0, f"no message box \"{caption}\""
    time.sleep(1)  # painted before the picture is taken
    screenshot(shot)
    code, text = driver("msgbox", caption, 1, 5000)
    assert code == 0, f"no message box \"{caption}\""
    return text


def close_mail_form():
    """A failed output step leaves the progress window with its lines; the user closes it."""
    if driver("wait", "#32770", SENDING, 100)[0] == 0:
        screenshot("mail-output-form-after-failure")
        driver("close", "#32770", SENDING)
        wait_until(lambda: driver("gone", "#32770", SENDING, 100)[0] == 0, 20,
                   what="the progress window to close")


def taken_archive_names(folder, seconds):
    """Folders under the names the next `seconds` sends would give their zip archive,
    so that the packer cannot write it while the picture beside it is written."""
    start = time.time()
    made = []
    for offset in range(seconds):
        t = time.localtime(start + offset)
        name = (f"{t.tm_year}_{t.tm_mon}_{t.tm_mday}_{t.tm_hour}_{t.tm_min}_{t.tm_sec}.zip")
        (folder / name).mkdir(exist_ok=True)
        made.append(name)
    return made


def test_mail_output_steps_are_checked(tmp_path, server):  # noqa: F811
    pattern = tmp_path / "pattern.png"
    make_pattern(pattern, *PATTERN_SIZE)
    shown = PatternOnScreen(pattern, *PATTERN_AT)
    out = tmp_path / "out"
    out.mkdir()
    temp = tmp_path / "temp"
    temp.mkdir()
    program = None
    try:
        mail_settings(out, server.port, "carl@example.test", zip_=1)
        program = ProgramWithTemp(temp)
        wait_main_window()

        # 1. A zip attachment: a real archive that holds the capture, and the
        # temporary folder empty afterwards.
        capture()
        wait_until(lambda: server.count() == 1, 90, what="the zip mail")
        part = check_headers(server.message(0)[2], "carl@example.test")
        assert part.get_content_type() == "application/x-zip-compressed"
        archive = tmp_path / "mailed.zip"
        archive.write_bytes(part.get_payload(decode=True))
        with zipfile.ZipFile(archive) as packed:
            assert packed.testzip() is None
            names = packed.namelist()
            assert len(names) == 1 and names[0].lower().endswith(".jpg"), names
            (tmp_path / "inner.jpg").write_bytes(packed.read(names[0]))
        inside = region(tmp_path / "inner.jpg", *PATTERN_SIZE, *PATTERN_INSIDE,
                        tmp_path / "inside.png")
        assert metric(inside, pattern, "PSNR") >= 38, "the archive does not hold the capture"
        wait_until(lambda: not list(temp.iterdir()), 30, what="the temporary files to go")

        # 2. The archive cannot be written: nothing is sent, the message names the
        # archive, and the picture written for it is gone. The program writes in a
        # folder of its own inside the temporary one, named after its process.
        own = own_temp_folder(temp)
        taken = taken_archive_names(own, 120)
        capture()
        text = message(TITLE, "mail-output-archive-failed")
        assert "could not be written in the folder" in text and "Nothing was sent." in text, text
        zip_name = text.split('"')[1]
        assert zip_name in taken, text
        time.sleep(2)  # a mail that wrongly went on would reach the server by now
        assert server.count() == 1, "a mail was sent without its archive"
        assert sorted(p.name for p in own.iterdir() if p.name not in taken) == []
        assert all((own / name).is_dir() for name in taken)
        for name in taken:
            (own / name).rmdir()
        own.rmdir()
        assert list(temp.iterdir()) == []
        close_mail_form()

        # 3. The temporary folder is gone: the picture cannot be written, nothing is sent.
        temp.rmdir()
        capture()
        text = message(TITLE, "mail-output-temp-gone")
        assert "SendMail-Error while converting" in text and "33211" in text, text
        assert wine_path(temp) in text, text
        time.sleep(2)
        assert server.count() == 1
        assert not temp.exists()
        close_mail_form()
    finally:
        if program:
            program.stop()
        shown.close()
