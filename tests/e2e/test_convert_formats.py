"""The conversion component's files, read back by programs nobody here wrote:
ImageMagick (identify, compare) and Python's PIL. convert_probe.exe puts a
known picture on the clipboard, writes it as a BMP reference itself and has
TiffDLL.dll write every other format through the registration-free COM path."""
import os
import subprocess
from pathlib import Path

import pytest
from PIL import Image, ImageChops

from harness import wine_run

BIN = Path(os.environ.get("VISTREL_DRIVER", "build/win64/bin/vdriver.exe")).resolve().parent
PROBE = BIN / "convert_probe.exe"
LOSSLESS = ["png", "tif", "pcx", "dcx"]


def wine_path(path):
    return "Z:" + str(path).replace("/", "\\")


@pytest.fixture(scope="module")
def written(tmp_path_factory):
    folder = tmp_path_factory.mktemp("convert formats")  # a space in the path on purpose
    run = wine_run([PROBE, wine_path(folder), "301", "173"], timeout=120, cwd=BIN)
    assert run.returncode == 0, run.stdout + run.stderr
    results = dict(line.split() for line in run.stdout.splitlines() if line.strip())
    return folder, results


def magick(*args):
    run = subprocess.run(args, capture_output=True, text=True, timeout=60)
    return run.returncode, (run.stdout + run.stderr).strip()


@pytest.mark.parametrize("ext,kind", [("png", "PNG"), ("jpg", "JPEG"), ("tif", "TIFF"),
                                      ("pcx", "PCX"), ("dcx", "DCX")])
def test_identify_sees_the_format_and_size(written, ext, kind):
    folder, results = written
    assert results[ext] == "0"
    code, text = magick("identify", "-format", "%m %w %h %[channels]", str(folder / f"out.{ext}"))
    assert code == 0, text
    assert text.split()[:3] == [kind, "301", "173"]


@pytest.mark.parametrize("ext", LOSSLESS)
def test_lossless_formats_equal_the_reference_pixel_for_pixel(written, ext):
    folder, _ = written
    code, text = magick("compare", "-metric", "AE", str(folder / "reference.bmp"),
                        str(folder / f"out.{ext}"), "null:")
    assert text == "0", text
    reference = Image.open(folder / "reference.bmp").convert("RGB")
    ours = Image.open(folder / f"out.{ext}")
    assert ours.mode == "RGB"
    assert ImageChops.difference(reference, ours.convert("RGB")).getbbox() is None


def test_jpeg_is_close_to_the_reference(written):
    folder, _ = written
    code, text = magick("compare", "-metric", "PSNR", str(folder / "reference.bmp"),
                        str(folder / "out.jpg"), "null:")
    assert float(text) >= 38, text
    with Image.open(folder / "out.jpg") as jpeg:
        assert jpeg.format == "JPEG" and jpeg.size == (301, 173)


def test_tiff_is_lzw_rgb_and_pcx_is_version_5_with_three_planes(written):
    folder, _ = written
    with Image.open(folder / "out.tif") as tif:
        assert tif.info.get("compression") == "tiff_lzw"
        assert tif.mode == "RGB"
    header = (folder / "out.pcx").read_bytes()[:128]
    assert header[0] == 0x0A and header[1] == 5 and header[3] == 8 and header[65] == 3


def test_missing_folder_gives_33211_and_writes_nothing(written):
    folder, results = written
    assert results["missing"] == "33211"
    names = sorted(p.name for p in folder.iterdir())
    assert names == sorted(["reference.bmp"] + [f"out.{e}" for e in ["png", "jpg", "tif", "pcx", "dcx"]])
