"""The capture engine from outside: a real Print Screen press on the display
reaches the program's window as the capture command, and a capture holds the
same pixels that the X server shows (read with xwd, which nobody here wrote)."""
import os
import struct
import subprocess
import threading
from pathlib import Path

import pytest

from harness import DRIVER, driver, oem_encoding, wait_until

HELPER = Path(os.environ.get("VISTREL_ENGINE_HELPER", DRIVER.parent / "engine_helper.exe"))
PROBE_TITLE = "Vistrel engine probe"


class Probe:
    """engine_helper.exe probe: loads vistlib.dll by name and gives Init its window."""

    def __init__(self, *args):
        self.lines = []
        self.process = subprocess.Popen(
            ["wine", str(HELPER), "probe", *map(str, args)], cwd=HELPER.parent,
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            encoding=oem_encoding(), errors="replace", start_new_session=True)
        threading.Thread(target=self._read, daemon=True).start()
        wait_until(lambda: "ready" in self.lines, 60, what="the probe to start")

    def _read(self):
        for line in self.process.stdout:
            self.lines.append(line.strip())

    def x_window(self):
        run = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", PROBE_TITLE],
                             capture_output=True, text=True, timeout=30)
        return run.stdout.split()[0]

    def stop(self):
        driver("close", "VistrelEngineProbe", "-")
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            driver("kill", HELPER.name)


@pytest.fixture
def probe():
    started = []

    def start(*args):
        p = Probe(*args)
        started.append(p)
        return p

    yield start
    for p in started:
        p.stop()


def test_print_screen_key_reaches_the_notify_window_as_the_capture_command(probe):
    p = probe()
    window = p.x_window()
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True, timeout=30)
    subprocess.run(["xdotool", "key", "Print"], check=True)
    wait_until(lambda: "capture command" in p.lines, 20, what="the capture command")
    # One press, one command.
    subprocess.run(["xdotool", "key", "Print"], check=True)
    wait_until(lambda: p.lines.count("capture command") == 2, 20, what="the second command")


def read_xwd(data):
    """(width, height, bytes per pixel, pixels starting B,G,R) of a 24-bit TrueColor xwd dump."""
    (header_size, _version, pixmap_format, depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask,
     blue_mask, _bits_per_rgb, _entries, ncolors) = struct.unpack(">20I", data[:80])
    assert (pixmap_format, depth) == (2, 24) and bits_per_pixel in (24, 32), \
        "not a 24-bit ZPixmap dump"
    assert (red_mask, green_mask, blue_mask) == (0xFF0000, 0xFF00, 0xFF)
    assert byte_order == 0, "expected least significant byte first"
    start = header_size + 12 * ncolors
    stride = bits_per_pixel // 8
    rows = [data[start + y * bytes_per_line:start + y * bytes_per_line + stride * width]
            for y in range(height)]
    return width, height, stride, b"".join(rows)


def read_bmp32(data):
    """(width, height, bytes B,G,R,X per pixel) of a 32-bit top-down BMP."""
    offset, = struct.unpack("<I", data[10:14])
    width, height, _planes, bits = struct.unpack("<iiHH", data[18:30])
    assert bits == 32 and height < 0, "expected a 32-bit top-down bitmap"
    return width, -height, data[offset:offset + 4 * width * -height]


def xwd_root():
    return read_xwd(subprocess.run(["xwd", "-root", "-silent"], capture_output=True,
                                   check=True).stdout)


def first_difference(capture, screen):
    """None when the capture's pixels equal the screen's, else a description."""
    width, height, stride, xwd_pixels = screen
    cap_width, cap_height, cap_pixels = capture
    if (cap_width, cap_height) != (width, height):
        return f"capture is {cap_width}x{cap_height}, screen {width}x{height}"
    for channel in range(3):  # blue, green, red; a fourth byte is padding
        if cap_pixels[channel::4] != xwd_pixels[channel::stride]:
            pixel = next(i for i in range(width * height)
                         if cap_pixels[4 * i:4 * i + 3] != xwd_pixels[stride * i:stride * i + 3])
            return (f"first differing pixel at ({pixel % width}, {pixel // width}): "
                    f"capture {cap_pixels[4 * pixel:4 * pixel + 3].hex()} "
                    f"xwd {xwd_pixels[stride * pixel:stride * pixel + 3].hex()}")
    return None


# Inside the probe's first colour band (red), as blue, green, red bytes.
BAND_X, BAND_Y, RED = 250, 400, bytes([0, 0, 255])


def test_capture_is_pixel_for_pixel_what_the_x_server_shows(probe, tmp_path):
    capture_file = tmp_path / "capture.bmp"
    p = probe(capture_file)
    p.x_window()

    def band_shown():
        width, _height, stride, pixels = xwd_root()
        at = stride * (BAND_Y * width + BAND_X)
        return pixels[at:at + 3] == RED

    wait_until(band_shown, 20, what="the probe's colour bands on screen")
    # Another program may redraw between the capture and xwd; a real fault
    # shows in every attempt.
    difference = "no attempt"
    for attempt in range(1, 4):
        assert driver("post", "VistrelEngineProbe", "-", "0x8001", 0, 0)[0] == 0
        wait_until(lambda: sum(line in ("captured", "capture failed") for line in p.lines) == attempt, 30,
                   what="the capture")
        assert p.lines[-1] == "captured"
        capture = read_bmp32(capture_file.read_bytes())
        difference = first_difference(capture, xwd_root())
        if difference is None:
            break
    assert difference is None, difference
    width, _height, pixels = capture
    at = 4 * (BAND_Y * width + BAND_X)
    assert pixels[at:at + 3] == RED
