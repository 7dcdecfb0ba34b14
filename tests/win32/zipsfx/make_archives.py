"""Writes the archives that the self-extractor's Windows tests wrap into
executables: one by Python's zipfile and one by Info-ZIP zip, over the same
files, which are written beside them for comparison."""
import os
import random
import shutil
import subprocess
import sys
import zipfile

out = sys.argv[1]
src = os.path.join(out, "files")
shutil.rmtree(out, ignore_errors=True)
os.makedirs(os.path.join(src, "pictures", "old"))

rng = random.Random(7)
contents = {
    "Vistrel.bmp": bytes(rng.choice(b"\x00\x10\x80\xff") for _ in range(150000)),
    "readme.txt": b"Captured with care.\r\n" * 50,
    "pictures/old/empty.txt": b"",
    "pictures/noise.bin": bytes(rng.getrandbits(8) for _ in range(40000)),
}
for name, data in contents.items():
    with open(os.path.join(src, name), "wb") as f:
        f.write(data)

with zipfile.ZipFile(os.path.join(out, "python.zip"), "w", zipfile.ZIP_DEFLATED) as z:
    for name, data in contents.items():
        z.writestr(name, data, zipfile.ZIP_STORED if name.endswith(".bin") else zipfile.ZIP_DEFLATED)
subprocess.run(["zip", "-q", "-9", "-r", os.path.join("..", "infozip.zip"), "."], cwd=src, check=True)
# Written into a pipe, zip cannot go back to the local header: the sizes and
# CRC follow the data in a data descriptor.
with open(os.path.join(src, "Vistrel.bmp"), "rb") as f, \
        open(os.path.join(out, "streamed.zip"), "wb") as z:
    subprocess.run("zip -q -9 -fz- - - | cat", shell=True, stdin=f, stdout=z, check=True)
with open(os.path.join(out, "list.txt"), "w") as f:
    f.write("\n".join(contents) + "\n")
