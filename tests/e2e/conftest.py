import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).parent))
from harness import Program  # noqa: E402


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
