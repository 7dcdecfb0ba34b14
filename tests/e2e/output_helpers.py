"""Helpers for the effects-and-saving end-to-end tests: the stored wizard
settings, a test picture on the screen, the capture key, the page-control
driver and image comparisons with ImageMagick."""
import os
import subprocess
import time
from pathlib import Path

from harness import DIST, DRIVER, driver, wait_until, wine_run

OUTPUT_DRIVER = DRIVER.parent / "output_driver.exe"
SETTINGS = r"HKCU\Software\VB and VBA Program Settings\Tarnwick Vistrel"
WIZARD = "Vistrel Wizard"


def reg_add(section, key, value):
    # reg.exe has been seen to fail once just after Wine started: try again before giving
    # up, and say what it printed.
    command = ["reg", "add", f"{SETTINGS}\\{section}", "/v", str(key), "/t", "REG_SZ",
               "/d", str(value), "/f"]
    for attempt in range(3):
        run = wine_run(command)
        if run.returncode == 0:
            return
        time.sleep(0.5)
    raise AssertionError(f"reg add {section}\\{key} failed: {run.stdout}{run.stderr}")


def wine_temp():
    """The temporary folder of the prefix's user, where Windows programs write."""
    prefix = Path(os.environ.get("WINEPREFIX", Path.home() / ".wine"))
    users = prefix / "drive_c" / "users"
    temps = [p for p in users.glob("*/AppData/Local/Temp") if p.is_dir()]
    temps += [p for p in users.glob("*/Temp") if p.is_dir()]
    return temps[0] if temps else users


def temporary_files(pattern="*"):
    """Files on their way into an archive or a mail: in the temporary folder and
    in the program's own folders there (one a process), nowhere deeper."""
    temp = wine_temp()
    places = [temp, *temp.glob("Vistrel.vistrel-*.part")]
    return [p for place in places for p in place.glob(pattern) if p.is_file()]


def own_temp_folder(temp):
    """The running program's own folder in the temporary folder `temp`, where it
    writes what goes into an archive or a mail (named after its process); made
    here so that a test can put files in its way."""
    code, pid = driver("pid", "vistrel.exe")
    assert code == 0, "vistrel.exe runs under no process id"
    own = Path(temp) / f"Vistrel.vistrel-{int(pid)}.part"
    own.mkdir(exist_ok=True)
    return own


def wine_path(path):
    """The Windows spelling of a Linux path (Wine maps / to drive Z:)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def straight_through(folder, fmt=0, rotate="0", scale="100", effects=(0, 0, 0), zip_=0, exe=0,
                     name="Vistrel"):
    """Every page hidden and only the save automatic: a capture runs straight to the file."""
    for page in range(7):
        reg_add("Show", page, 1)
    for box in range(9):
        reg_add("Automate", box, 1 if box == 1 else 0)
    reg_add("Automate", "UseCropOrEdit", 1)
    reg_add("Automate", "CropStyle", 1)  # full screen
    values = {"FileFormat": fmt, "Path": wine_path(folder), "Name": name, "Rotate": rotate,
              "Scaleing": scale, "Effect0": effects[0], "Effect1": effects[1],
              "Effect2": effects[2], "SaveAsZip": zip_, "SaveAsExe": exe, "EndAfterShot": 0,
              "ScaleSystem": 0}
    reg_add("Divers", "NewbieTip", "False")
    for key, value in values.items():
        reg_add("Divers", key, value)


def show_every_page(folder, fmt=0):
    straight_through(folder, fmt)
    for page in range(7):
        reg_add("Show", page, 0)
    reg_add("Automate", 1, 0)


def make_pattern(path, width=400, height=300):
    """A picture with colours, edges and a gradient, so that turns and mirrors show."""
    subprocess.run(["convert", "-size", f"{width}x{height}", "gradient:#ff2000-#0030ff",
                    "(", "-size", f"{width // 2}x{height // 3}", "xc:#20e040", ")",
                    "-geometry", "+10+10", "-composite",
                    "(", "-size", f"{width // 5}x{height // 2}", "xc:#f0f000", ")",
                    "-geometry", f"+{width - width // 4}+{height // 3}", "-composite",
                    f"PNG24:{path}"], check=True)


class PatternOnScreen:
    """The picture shown by ImageMagick's viewer at a fixed place on the display."""

    def __init__(self, path, x, y):
        self.process = subprocess.Popen(["display", "-geometry", f"+{x}+{y}", "-title",
                                         "vpattern", str(path)], stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: subprocess.run(["xdotool", "search", "--name", "vpattern"],
                                          capture_output=True).returncode == 0,
                   what="the pattern window")

    def close(self):
        self.process.terminate()
        self.process.wait(10)


def capture():
    """The Print Screen key, as a user presses it. The key reaches the hot key
    only while a Wine window has the X focus: the tray window is this program's."""
    subprocess.run(["xdotool", "mousemove", "5", "1075"], check=True)
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Wine System Tray"],
                         capture_output=True, text=True).stdout.split()
    if ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]], check=False, timeout=10)
    subprocess.run(["xdotool", "key", "Print"], check=True)


def wait_complete(path, timeout=60):
    """Waits for a file that exists and keeps its size (the writer is done with it)."""
    path = Path(path)
    last = [-1]

    def settled():
        if not path.exists():
            return False
        size = path.stat().st_size
        done = size > 0 and size == last[0]
        last[0] = size
        return done

    wait_until(settled, timeout=timeout, interval=0.3, what=f"{path.name} to be written")
    return path


def page_driver(*args):
    run = wine_run([OUTPUT_DRIVER, *args])
    return run.returncode, run.stdout.strip()


def walk_to_page(button, timeout=40):
    """Waits for the wizard, then clicks Next until the page holding that
    button shows (one click at a time: each waits for the page it opens)."""
    wait_until(lambda: page_driver("shown", WIZARD, "&Next >")[0] == 0, timeout=30,
               what="the wizard")

    def there():
        if page_driver("shown", WIZARD, button)[0] == 0:
            return True
        page_driver("click", WIZARD, "&Next >")
        return False
    wait_until(there, timeout=timeout, interval=1, what=f"the page with {button}")


class ProgramWithTemp:
    """vistrel.exe with its own TEMP and TMP, set in a Windows command
    interpreter: Wine takes a Windows program's TEMP from the prefix, not from
    the Unix environment."""

    def __init__(self, temp):
        folder = wine_path(temp)
        exe = wine_path(DIST / "vistrel.exe")
        assert " " not in folder + exe, "paths with blanks need quoting here"
        line = f"set TEMP={folder}&& set TMP={folder}&& {exe}"
        self.process = subprocess.Popen(["wine", "cmd", "/c", line], cwd=DIST,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, 15)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, 9)
                self.process.wait()
        driver("kill", "vistrel.exe")


def identify(path):
    out = subprocess.run(["identify", "-format", "%w %h %m\n", str(path)], check=True,
                         capture_output=True, text=True).stdout.split("\n")[0].split()
    return int(out[0]), int(out[1]), out[2]


def region(path, width, height, x, y, out):
    subprocess.run(["convert", str(path) + "[0]", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                    "-alpha", "off", f"PNG24:{out}"], check=True)
    return out


def metric(a, b, kind):
    """ImageMagick's compare metric between two pictures of the same size."""
    run = subprocess.run(["compare", "-metric", kind, str(a) + "[0]", str(b) + "[0]", "null:"],
                         capture_output=True, text=True)
    text = run.stderr.strip().split()[0]
    return float("inf") if text == "inf" else float(text)


def wait_main_window():
    """The program is up: its tray icon is there and the start-up window has gone."""
    wait_until(lambda: "VistrelMainform" in driver("list")[1], 30, what="the main window")
    wait_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                       "Wine System Tray"], capture_output=True).returncode == 0,
               30, what="the tray")
    # The start-up window would stay four seconds; closing it is what a user may do.
    driver("close", "VistrelSplashScreen", "-")

    def splash_gone():
        return not any("VistrelSplashScreen" in line and line.endswith("visible")
                       for line in driver("list")[1].splitlines())
    wait_until(splash_gone, 30, what="the start-up picture to go")
