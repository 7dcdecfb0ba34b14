"""The setup dialog's "&Try to find this data automatically...": the finder may
change the server and the address, nothing else. A cancelled finder leaves every
field as the user typed it; a used one fills the server and the address and
leaves the port, the user name and the password the user typed."""
import pytest

from harness import driver, wait_until
from output_helpers import SETTINGS, page_driver, reg_add
from test_setup import ACCOUNTS, FINDER, SETUP, account, info, reg

SERVER, ADDRESS, FIND = 1301, 1302, 1303
PORT, USER, PASSWORD = 1330, 1332, 1333
CANCEL, USE_IT = 2, 2754
TYPED = {SERVER: "typed.example.org", ADDRESS: "typed@example.org", PORT: "2525",
         USER: "typed-user", PASSWORD: "typed-secret"}


@pytest.fixture
def stored_account():
    reg("delete", SETTINGS, "/f")
    reg("delete", ACCOUNTS, "/f")
    account("00000001", "Home", "smtp.home.example", "me@home.example")
    reg_add("Divers", "NewbieTip", "False")
    # What the store holds before the dialog opens: the finder must not bring these back.
    reg_add("Mail", "SMTP_Port", "25")
    reg_add("Mail", "SMTP_User", "stored-user")
    yield
    reg("delete", ACCOUNTS, "/f")
    reg("delete", SETTINGS, "/f")


def field(control):
    return driver("text", "#32770", SETUP, control)[1]


def open_finder():
    assert driver("click", "#32770", SETUP, FIND)[0] == 0
    assert driver("wait", "#32770", FINDER, 20000)[0] == 0
    wait_until(lambda: "smtp.home.example" in info(), 10, what="the account shown")


def test_finder_changes_only_server_and_address(program, stored_account):
    program("setup")
    assert driver("wait", "#32770", SETUP, 30000)[0] == 0
    for control, text in TYPED.items():
        assert page_driver("settext", SETUP, control, text)[0] == 0
    assert {c: field(c) for c in TYPED} == TYPED

    # Cancelled: nothing is reloaded, the typed password included.
    open_finder()
    assert driver("click", "#32770", FINDER, CANCEL)[0] == 0
    assert driver("gone", "#32770", FINDER, 10000)[0] == 0
    assert {c: field(c) for c in TYPED} == TYPED

    # Used: the server and the address change, the rest stays as typed.
    open_finder()
    assert driver("click", "#32770", FINDER, USE_IT)[0] == 0
    assert driver("gone", "#32770", FINDER, 10000)[0] == 0
    wait_until(lambda: field(SERVER) == "smtp.home.example", 10, what="the server filled")
    assert field(ADDRESS) == "me@home.example"
    assert {c: field(c) for c in (PORT, USER, PASSWORD)} == {
        c: TYPED[c] for c in (PORT, USER, PASSWORD)}
    assert driver("click", "#32770", SETUP, CANCEL)[0] == 0
    assert driver("gone", "#32770", SETUP, 10000)[0] == 0


def test_a_port_in_the_found_server_name_goes_to_the_port_field(program, stored_account):
    reg("delete", ACCOUNTS, "/f")
    account("00000001", "Office", "smtp.office.example:587", "me@office.example")
    program("setup")
    assert driver("wait", "#32770", SETUP, 30000)[0] == 0
    for control, text in TYPED.items():
        assert page_driver("settext", SETUP, control, text)[0] == 0
    assert driver("click", "#32770", SETUP, FIND)[0] == 0
    assert driver("wait", "#32770", FINDER, 20000)[0] == 0
    wait_until(lambda: "smtp.office.example" in info(), 10, what="the account shown")
    assert driver("click", "#32770", FINDER, USE_IT)[0] == 0
    assert driver("gone", "#32770", FINDER, 10000)[0] == 0
    wait_until(lambda: field(SERVER) == "smtp.office.example", 10, what="the server filled")
    assert (field(PORT), field(ADDRESS)) == ("587", "me@office.example")
    assert (field(USER), field(PASSWORD)) == (TYPED[USER], TYPED[PASSWORD])
    assert driver("click", "#32770", SETUP, CANCEL)[0] == 0
    assert driver("gone", "#32770", SETUP, 10000)[0] == 0
