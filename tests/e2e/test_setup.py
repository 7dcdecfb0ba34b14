"""The setup dialog and the mail settings finder through the whole program, in
one run: opened from the tray, cancelled, applied (the next capture follows the
cursor choice), filled by the finder from accounts in the registry, and closed
with "&Ok" (every value checked with reg.exe, the wizard skips a ticked page)."""
import re
import subprocess

import pytest

from harness import driver, screenshot, wait_until
from output_helpers import (SETTINGS, metric, page_driver, reg_add, region, straight_through,
                            wait_complete, wait_main_window)
from test_shell import MENU_ITEMS, open_tray_menu, press_print_screen, visible

pytestmark = pytest.mark.managed_windows

ACCOUNTS = r"HKCU\Software\Microsoft\Internet Account Manager\Accounts"
SETUP = "Setup"
FINDER = "Mail Settings Finder"
# Control IDs of the setup dialog.
SMTP, ADDRESS, FIND, CURSOR, END_AFTER_SHOT, SCALE, APPLY = 1301, 1302, 1303, 1304, 1306, 1307, 1308
REPLY_WAIT = 1335
NOT_SHOW = 1310
OK, CANCEL = 1, 2
INFO, USE_IT = 2752, 2754
# Where the pointer stands while the cursor captures are taken.
POINTER = (300, 300)


def reg(*args):
    return subprocess.run(["wine", "reg", *args], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=60)


def setting(section, key):
    out = reg("query", f"{SETTINGS}\\{section}", "/v", str(key)).stdout
    match = re.search(rf"^\s*{re.escape(str(key))}\s+REG_SZ\s*(.*?)\s*$", out, re.M)
    return match.group(1) if match else None


def account(number, name, server, address):
    key = f"{ACCOUNTS}\\{number}"
    for value_name, data in (("Account Name", name), ("SMTP Server", server),
                             ("SMTP Email Address", address)):
        assert reg("add", key, "/v", value_name, "/d", data, "/f").returncode == 0


@pytest.fixture
def accounts():
    reg("delete", SETTINGS, "/f")
    reg("delete", ACCOUNTS, "/f")
    account("00000001", "Home", "smtp.home.example", "me@home.example")
    account("00000002", "Work", "smtp.work.example", "me@work.example")
    account("0000000a", "Club", "smtp.club.example", "me@club.example")
    account("0000000c", "Unseen", "smtp.unseen.example", "x@unseen.example")  # after 0000000b
    yield
    reg("delete", ACCOUNTS, "/f")
    reg("delete", SETTINGS, "/f")


def open_setup():
    x, y = open_tray_menu()
    subprocess.run(["xdotool", "mousemove", str(x + 30), str(y + MENU_ITEMS["setup"]), "click", "1"],
                   check=True)
    assert driver("wait", "#32770", SETUP, 20000)[0] == 0, "the tray's Setup opens the dialog"


def press(title, control):
    assert driver("click", "#32770", title, control)[0] == 0


def capture_at_pointer():
    subprocess.run(["xdotool", "mousemove", *map(str, POINTER)], check=True)
    press_print_screen()


def info():
    return driver("text", "#32770", FINDER, INFO)[1]


def test_setup_dialog_and_mail_settings_finder(program, accounts, tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    straight_through(out)  # every page hidden: a capture goes straight to a .bmp
    reg_add("Divers", "ShowCursor", "True")
    program()
    wait_main_window()

    # "&Cancel" stores nothing, and Print Screen works again at once.
    open_setup()
    screenshot("setup-dialog")
    # While it is open, Print Screen is refused.
    press_print_screen()
    def refusal():
        code, text = driver("msgbox", "Tarnwick Vistrel", 1, 2000)
        return text if code == 0 else None
    assert wait_until(refusal, 20, interval=0.5, what="the refusal").startswith("Cannot make")
    assert not (out / "Vistrel.bmp").exists()
    assert page_driver("settext", SETUP, SMTP, "cancelled.example.org")[0] == 0
    assert driver("check", "#32770", SETUP, CURSOR, 0)[0] == 0
    press(SETUP, CANCEL)
    assert driver("gone", "#32770", SETUP, 10000)[0] == 0
    assert setting("Mail", "SMTP_Server") is None
    assert setting("Divers", "ShowCursor") == "True"
    capture_at_pointer()
    with_cursor = wait_complete(out / "Vistrel.bmp")

    # "&Apply" keeps the dialog open, and the next capture has no cursor.
    open_setup()
    assert driver("check", "#32770", SETUP, CURSOR, 0)[0] == 0
    press(SETUP, APPLY)
    wait_until(lambda: setting("Divers", "ShowCursor") == "False", 10, what="ShowCursor stored")
    assert visible("#32770", SETUP)
    capture_at_pointer()
    without_cursor = wait_complete(out / "Vistrel1.bmp")
    x, y = POINTER
    at_pointer = [region(p, 12, 18, x, y, tmp_path / f"pointer{i}.png")
                  for i, p in enumerate((with_cursor, without_cursor))]
    beside = [region(p, 12, 18, x + 40, y, tmp_path / f"beside{i}.png")
              for i, p in enumerate((with_cursor, without_cursor))]
    assert metric(*beside, "AE") == 0, "the screen beside the pointer is the same in both"
    assert metric(*at_pointer, "AE") > 20, "only the first capture shows the cursor"

    # The finder lists the accounts in order; "&Use these settings" fills the fields.
    press(SETUP, FIND)
    assert driver("wait", "#32770", FINDER, 20000)[0] == 0
    wait_until(lambda: "smtp.home.example" in info(), 10, what="the first line shown")
    screenshot("setup-mail-settings-finder")
    # The line break is a lone carriage return, which reading the output turns into "\n".
    assert info().splitlines() == ["Your SMTP-Server: smtp.home.example",
                                   " Your mail address: me@home.example"]
    finder = subprocess.run(["xdotool", "search", "--name", f"^{FINDER}$"], capture_output=True,
                            text=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", finder], check=False, timeout=10)
    subprocess.run(["xdotool", "key", "Down"], check=True)
    wait_until(lambda: "smtp.work.example" in info(), 10, what="the second account")
    subprocess.run(["xdotool", "key", "End"], check=True)
    wait_until(lambda: "smtp.club.example" in info(), 10, what="the letter pass's account last")
    press(FINDER, USE_IT)
    assert driver("gone", "#32770", FINDER, 10000)[0] == 0
    wait_until(lambda: driver("text", "#32770", SETUP, SMTP)[1] == "smtp.club.example", 10,
               what="the server field filled")
    assert driver("text", "#32770", SETUP, ADDRESS)[1] == "me@club.example"

    # "&Ok" lands every value; only the first page stays hidden.
    assert driver("text", "#32770", SETUP, REPLY_WAIT)[1] == "120"
    assert page_driver("settext", SETUP, REPLY_WAIT, "45")[0] == 0
    assert page_driver("select", SETUP, SCALE, 2)[0] == 0
    assert driver("check", "#32770", SETUP, END_AFTER_SHOT, 1)[0] == 0
    for page in range(1, 7):
        assert driver("check", "#32770", SETUP, NOT_SHOW + page, 0)[0] == 0
    press(SETUP, OK)
    assert driver("gone", "#32770", SETUP, 10000)[0] == 0
    expected = {("Divers", "ScaleSystem"): "2", ("Mail", "SMTP_Server"): "smtp.club.example",
                ("Mail", "Reply_Address"): "me@club.example", ("Divers", "ShowCursor"): "False",
                ("Divers", "EndAfterShot"): "1", ("Show", 0): "1", ("Mail", "SMTP_Timeout"): "45"}
    expected.update({("Show", page): "0" for page in range(1, 7)})
    assert {k: setting(*k) for k in expected} == expected

    # The wizard opens on the selection page: the welcome page ticked here is skipped.
    press_print_screen()
    wait_until(lambda: page_driver("shown", "Vistrel Wizard", "Selected area...")[0] == 0, 30,
               what="the wizard on its selection page")

    # The wizard's own "&Setup" button opens the dialog over it.
    press("Vistrel Wizard", 2103)
    assert driver("wait", "#32770", SETUP, 20000)[0] == 0, "the wizard's Setup opens the dialog"
    press(SETUP, CANCEL)
    assert driver("gone", "#32770", SETUP, 10000)[0] == 0
