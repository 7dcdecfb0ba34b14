"""The whole chain: the program starts, loads vistlib.dll, and ends when asked."""
from harness import driver, screenshot, wait_until


def test_program_starts_loads_the_library_and_ends_cleanly(program):
    vistrel = program()
    code, hwnd = driver("wait", "VistrelMainform", "-", 30000)
    assert code == 0, "the main window did not appear"
    # The library is loaded during the start-up, which may go on after the window is there.
    wait_until(lambda: "vistlib.dll" in driver("modules", "vistrel.exe")[1].lower().split(),
               30, what="vistlib.dll among the program's modules")
    screenshot("chain-running")
    assert driver("close", "VistrelMainform", "-")[0] == 0
    assert vistrel.wait_exit(30) == 0
    assert driver("gone", "VistrelMainform", "-", 5000)[0] == 0
