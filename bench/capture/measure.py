"""Runs the capture benchmark: Vistrel's Cheese("0") + Transfer against
`xwd -root -silent` to /dev/null on the same display, interleaved, and prints
both medians and their ratio."""
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROUNDS = 20
WARMUP = 2


def main():
    bench = Path(sys.argv[1]).resolve()
    process = subprocess.Popen(["wine", str(bench)], cwd=bench.parent, stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                               start_new_session=True)
    try:
        first = process.stdout.readline()
        if first.strip() != "ready":
            sys.exit(f"the benchmark program did not start: {first!r}")

        def vistrel_capture():
            process.stdin.write("capture\n")
            process.stdin.flush()
            whole, cheese, transfer = map(float, process.stdout.readline().split())
            parts.append((cheese, transfer))
            return whole

        def xwd_capture():
            # xwd now and then fails to read the root window while another
            # client changes it; such a run is repeated, not counted.
            for _ in range(3):
                start = time.perf_counter()
                run = subprocess.run(["xwd", "-root", "-silent"], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE, text=True)
                if run.returncode == 0:
                    return 1000.0 * (time.perf_counter() - start)
            sys.exit(f"xwd failed: {run.stderr.strip()}")

        vistrel, xwd, parts = [], [], []
        # Interleaved, so both see the same load on the machine.
        for round_ in range(WARMUP + ROUNDS):
            v, x = vistrel_capture(), xwd_capture()
            if round_ >= WARMUP:
                vistrel.append(v)
                xwd.append(x)
        process.stdin.write("quit\n")
        process.stdin.flush()
        process.wait(30)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()

    v, x = statistics.median(vistrel), statistics.median(xwd)
    parts = parts[WARMUP:]
    cheese = statistics.median(p[0] for p in parts)
    transfer = statistics.median(p[1] for p in parts)
    print(f"capture of a {screen_size()} screen, {ROUNDS} rounds each")
    print(f"vistrel Cheese(\"0\") + Transfer  median {v:8.2f} ms")
    print(f"  of which Cheese                median {cheese:8.2f} ms")
    print(f"  of which Transfer              median {transfer:8.2f} ms")
    print(f"xwd -root -silent > /dev/null    median {x:8.2f} ms")
    print(f"ratio vistrel/xwd                       {v / x:8.2f}")
    print(f"bench-row: capture {screen_size()} | {v:.1f} ms | xwd {x:.1f} ms | {v / x:.2f} | -")


def screen_size():
    info = subprocess.run(["xdpyinfo"], capture_output=True, text=True).stdout
    for line in info.splitlines():
        if "dimensions:" in line:
            return line.split()[1]
    return "?"


if __name__ == "__main__":
    main()
