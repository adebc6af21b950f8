#!/usr/bin/env python3
"""Soak run of continuous capture (not part of the test command): the real program under Wine
captures the whole screen every INTERVAL ms for MINUTES minutes while the window is hidden, then
Ctrl+F12 stops it. Prints the files written against the ticks the interval allows, any gap or
double in the numbering, and the resident memory of the program's process over the run.

    (source scripts/wine-env.sh; VELLUM_XVFB=1 vellum_env_up tests;
     /usr/bin/python3 tools/soak/continuous_soak.py --interval 200 --minutes 10)

Uses the e2e helpers (tests/e2e/vellum_e2e.py) and the build in $VELLUM_BUILD_ROOT/win."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))
os.environ.setdefault("VELLUM_BUILD_DIR",
                      str(Path(os.environ.get("VELLUM_BUILD_ROOT", REPO / "build")) / "win"))
os.environ.setdefault("VELLUM_SOURCE_DIR", str(REPO))

from vellum_e2e import CMB_IMG_TYPE_ID, FORMATS, Driver, Program, WineEnv, wait_until  # noqa

CHECK1, TEXT1, COMMAND2 = 1011, 1012, 1022


def resident_kib(exe_folder):
    """VmRSS of the Unix process that runs the program's copy in exe_folder."""
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            cmdline = Path(f"/proc/{pid}/cmdline").read_bytes().replace(b"\0", b" ").decode(
                errors="replace")
            if "Vellum_Capture.exe" not in cmdline or "vellum_driver" in cmdline:
                continue
            status = Path(f"/proc/{pid}/status").read_text()
        except OSError:
            continue
        match = re.search(r"VmRSS:\s+(\d+) kB", status)
        if match:
            return int(match.group(1))
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--interval", type=int, default=200, help="milliseconds")
    parser.add_argument("--minutes", type=float, default=10.0)
    parser.add_argument("--format", default="png", choices=FORMATS)
    args = parser.parse_args()

    env = WineEnv.from_environ()
    driver = Driver(env)
    root = env.drive_c / "vellum-soak"
    shutil.rmtree(root, ignore_errors=True)
    out = root / "out"
    out.mkdir(parents=True)
    program = Program(env, driver, root / "app")
    program.start(env={"tmp": env.win_path(out)})
    program.wait_main_window(visible=True)
    driver.combo_select(program.hwnd, CMB_IMG_TYPE_ID, FORMATS.index(args.format))
    driver.click(program.hwnd, CHECK1)
    assert wait_until(lambda: program.control(TEXT1)["shown"], 5)
    driver.set_text(program.hwnd, TEXT1, str(args.interval))

    samples = []
    driver.click(program.hwnd, COMMAND2)
    began = time.monotonic()
    deadline = began + args.minutes * 60
    while time.monotonic() < deadline:
        time.sleep(min(10.0, max(0.0, deadline - time.monotonic())))
        samples.append((time.monotonic() - began, resident_kib(program.folder),
                        sum(1 for _ in out.iterdir())))
    driver.key("ctrl+f12")
    ran = time.monotonic() - began
    time.sleep(1.0)
    program.close(timeout=30)

    names = sorted(p.name for p in out.iterdir())
    numbers = sorted(int(m.group(1)) for n in names
                     if (m := re.fullmatch(r"PXGR_Cap_(\d+)\." + args.format, n)))
    others = [n for n in names if not re.fullmatch(r"PXGR_Cap_\d+\." + args.format, n)]
    gaps = [n for n in range(1, numbers[-1] + 1) if n not in set(numbers)] if numbers else []
    allowed = int(ran * 1000 / args.interval) if args.interval else 0
    rss = [kib for _, kib, _ in samples if kib]
    print(f"interval {args.interval} ms, format {args.format}, ran {ran:.1f} s")
    print(f"files {len(numbers)} (ticks the interval allows: {allowed}; "
          f"{len(numbers) / ran:.2f} files/s), numbers 1..{numbers[-1] if numbers else 0}, "
          f"gaps {len(gaps)}, other files {others[:5]}")
    if rss:
        first = rss[:3]
        last = rss[-3:]
        print(f"resident memory: first samples {first} KiB, last {last} KiB, "
              f"min {min(rss)}, max {max(rss)}")
    for t, kib, count in samples[:: max(1, len(samples) // 12)]:
        print(f"  {t:7.1f} s  {kib} KiB  {count} files")
    shutil.rmtree(root, ignore_errors=True)
    return 0 if numbers and not gaps and not others else 1


if __name__ == "__main__":
    sys.exit(main())
