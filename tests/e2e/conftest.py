import subprocess
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).parent))
from harness import Program, windows_managed  # noqa: E402

# Everything the program stores: the settings, and the editor's own key.
STORED_KEYS = (r"HKCU\Software\VB and VBA Program Settings\Tarnwick Vistrel",
               r"HKCU\Software\Tarnwick\Vistrel")


def pytest_configure(config):
    config.addinivalue_line(
        "markers", "managed_windows: the program's windows are placed and focused as a window "
        "manager would have them (the tray menu, Print Screen from the tray, window places)")


_managed = {"now": None}


@pytest.fixture(autouse=True)
def window_management(request):
    """The program's windows are unmanaged, but in tests marked managed_windows."""
    want = request.node.get_closest_marker("managed_windows") is not None
    if _managed["now"] != want:
        windows_managed(want)
        _managed["now"] = want
    yield


@pytest.fixture(scope="session", autouse=True)
def managed_at_the_end():
    yield
    windows_managed(True)


@pytest.fixture(autouse=True)
def settings_from_nothing():
    """Every test starts from no stored settings and states what it needs, so no test
    depends on what an earlier one left behind (a ticked "stretch to page", say)."""
    for key in STORED_KEYS:
        # No pipes: a Wine process this call may start would hold them open.
        subprocess.run(["wine", "reg", "delete", key, "/f"], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    yield


@pytest.fixture
def program():
    """Starts programs of dist/ and stops whatever is still running at the end."""
    started = []

    def start(*args, **kwargs):
        p = Program(*args, **kwargs)
        started.append(p)
        return p

    yield start
    for p in started:
        p.stop()
