"""What the end-to-end tests use: the program under Wine on the test display,
the driver exe for windows and controls, xdotool for keys, screenshots, and
waiting for conditions with deadlines."""
import os
import signal
import subprocess
import tempfile
import time
from pathlib import Path

DIST = Path(os.environ.get("VISTREL_E2E_DIST", "build/win64/dist"))
DRIVER = Path(os.environ.get("VISTREL_DRIVER", "build/win64/bin/vdriver.exe"))
# Screenshots go under the checkout's build folder wherever the tests are started from.
SHOTS = Path(os.environ.get("VISTREL_SHOTS",
                            Path(__file__).resolve().parents[2] / "build/e2e-results/shots"))


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


# The OEM code page Wine's console programs (reg.exe, our drivers) print in, by the
# language of the locale: "Schl\x81ssel" is cp850 under a German locale, not UTF-8.
OEM_CODE_PAGES = {"en_US": "cp437", "en": "cp850", "ru": "cp866", "uk": "cp866", "pl": "cp852",
                  "cs": "cp852", "hu": "cp852", "sk": "cp852", "tr": "cp857", "el": "cp737",
                  "ja": "cp932", "zh_CN": "gbk", "zh_TW": "cp950", "ko": "cp949",
                  "he": "cp862", "ar": "cp720"}


def oem_encoding(env=None):
    """The Python codec of Wine's OEM code page for the locale in env (or ours)."""
    env = os.environ if env is None else env
    name = env.get("LC_ALL") or env.get("LC_MESSAGES") or env.get("LANG") or "C"
    name = name.split(".")[0].split("@")[0]
    if name in ("C", "POSIX", ""):
        return "cp437"
    return OEM_CODE_PAGES.get(name) or OEM_CODE_PAGES.get(name.split("_")[0], "cp850")


def wine_run(args, timeout=60, env=None, **kwargs):
    """Runs a Wine program and returns the completed run with its output as text,
    decoded from the OEM code page of the locale it ran under. The output goes
    through files, not pipes: a Wine process the call happens to start (the
    desktop's explorer.exe, when none is running) inherits them and outlives the
    program, and a pipe would keep the call waiting for it."""
    encoding = oem_encoding(env)
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        run = subprocess.run(["wine", *map(str, args)], stdout=out, stderr=err, timeout=timeout,
                             stdin=subprocess.DEVNULL, env=env, **kwargs)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(run.args, run.returncode,
                                           out.read().decode(encoding, "replace"),
                                           err.read().decode(encoding, "replace"))


def driver(*args, timeout=60):
    """Runs the driver; returns (exit code, output)."""
    run = wine_run([DRIVER, *args], timeout=timeout)
    return run.returncode, run.stdout.strip()


def comma_locale(folder):
    """An environment whose Wine programs run under a German locale (decimal comma,
    OEM code page 850). The locale is compiled into `folder`, not installed."""
    folder = Path(folder)
    target = folder / "de_DE.UTF-8"
    if not target.exists():
        folder.mkdir(parents=True, exist_ok=True)
        # localedef warns about details of the source and may exit 1 after writing it.
        subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(target)],
                       capture_output=True, stdin=subprocess.DEVNULL, timeout=300)
    assert (target / "LC_NUMERIC").exists(), "localedef could not make de_DE.UTF-8"
    env = dict(os.environ)
    env.update(LOCPATH=str(folder), LANG="de_DE.UTF-8", LC_ALL="de_DE.UTF-8")
    return env


def restart_wine():
    """A fresh Wine session under the current environment's locale. Wine's own
    programs keep the locale they started under, and a program started under
    another one has been seen to hang the driver: a test that changes the locale
    runs in a session of its own and restarts it when done."""
    # No pipes: the server and Wine's services outlive these calls and would hold them open.
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-k"], timeout=60, **quiet)
    subprocess.run(["wineserver", "-w"], timeout=120, **quiet)
    subprocess.run(["wineserver", "-p"], timeout=60, **quiet)
    subprocess.run(["wine", "cmd", "/c", "exit"], timeout=300, start_new_session=True, **quiet)


X11_DRIVER = r"HKCU\Software\Wine\X11 Driver"


def windows_managed(managed):
    """Whether Wine hands the program's windows to a window manager. The test
    display has none (but in the tests that start one): Wine then waits two
    seconds for a manager that never comes each time such a window is hidden,
    and every closed message box, page or progress window would cost that.
    Set for vistrel.exe alone (Wine's own tray keeps its ways); Wine reads it
    when the program starts."""
    key = r"HKCU\Software\Wine\AppDefaults\vistrel.exe\X11 Driver"
    args = (["reg", "delete", key, "/v", "Managed", "/f"] if managed else
            ["reg", "add", key, "/v", "Managed", "/t", "REG_SZ", "/d", "N", "/f"])
    wine_run(args)


def key(name):
    subprocess.run(["xdotool", "key", name], check=True)


def screenshot(name):
    """The screen as the display shows it: one GetImage of the root window.
    (xwd -root rebuilds the screen window by window and draws a Wine window
    that lies over another window of the same program as a black rectangle.)"""
    SHOTS.mkdir(parents=True, exist_ok=True)
    path = SHOTS / f"{name}.png"
    subprocess.run(["import", "-silent", "-window", "root", str(path)], check=True, timeout=60)
    return path


class Program:
    """vistrel.exe (or another program of dist/) under Wine, stopped at the end."""

    def __init__(self, *args, exe="vistrel.exe", cwd=None, env=None):
        self.exe = exe
        # What Wine says of the program (a crash's backtrace above all) is kept
        # beside the screenshots, for a test that finds the program gone.
        SHOTS.parent.mkdir(parents=True, exist_ok=True)
        with open(SHOTS.parent / "programs-stderr.log", "ab") as log:
            log.write(f"== {exe} {' '.join(map(str, args))}\n".encode())
            log.flush()
            self.process = subprocess.Popen(
                ["wine", str(DIST / exe), *args], cwd=cwd or DIST, stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=log, start_new_session=True, env=env)

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
