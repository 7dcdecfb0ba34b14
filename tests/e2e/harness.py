"""What the end-to-end tests use: the program under Wine on the test display,
the driver exe for windows and controls, xdotool for keys, screenshots, and
waiting for conditions with deadlines."""
import os
import signal
import subprocess
import time
from pathlib import Path

DIST = Path(os.environ.get("VISTREL_E2E_DIST", "build/win64/dist"))
DRIVER = Path(os.environ.get("VISTREL_DRIVER", "build/win64/bin/vdriver.exe"))
SHOTS = Path(os.environ.get("VISTREL_SHOTS", "build/e2e-results/shots"))


def wait_until(condition, timeout=20.0, interval=0.1, what="condition"):
    """Polls until condition() is truthy; returns its value or fails after the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(interval)


def driver(*args, timeout=60):
    """Runs the driver; returns (exit code, output)."""
    run = subprocess.run(["wine", str(DRIVER), *map(str, args)], capture_output=True,
                         text=True, timeout=timeout, stdin=subprocess.DEVNULL)
    return run.returncode, run.stdout.strip()


def key(name):
    subprocess.run(["xdotool", "key", name], check=True)


def screenshot(name):
    SHOTS.mkdir(parents=True, exist_ok=True)
    path = SHOTS / f"{name}.png"
    subprocess.run(f"xwd -root -silent | convert xwd:- {path}", shell=True, check=True)
    return path


class Program:
    """vistrel.exe (or another program of dist/) under Wine, stopped at the end."""

    def __init__(self, *args, exe="vistrel.exe", cwd=None):
        self.exe = exe
        self.process = subprocess.Popen(
            ["wine", str(DIST / exe), *args], cwd=cwd or DIST, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=20.0):
        wait_until(lambda: not self.running(), timeout, what=f"{self.exe} to end")
        return self.process.returncode

    def stop(self):
        if self.running():
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        # Wine may leave the Windows process behind the killed loader.
        driver("kill", self.exe)
