#!/usr/bin/env python3
"""How long the main window's thread is kept from its messages while captures are saved (not
part of the test command): for each format, the real program under Wine takes ROUNDS PrintScreens
while the driver sends the window WM_NULL every 10 ms, and the slowest and median round trips are
printed, with the time until the last file was there. On a 3840x2160 screen:

    (source scripts/wine-env.sh; export VELLUM_XVFB=1 VELLUM_XVFB_SCREEN=3840x2160x24;
     vellum_env_up tests; /usr/bin/python3 tools/latency/window_answers.py)

The screen is first covered by a picture of gradients and noise (the driver's paint command
would give one flat colour), drawn by capture_bench's busy scene so that every encoder has work.
Uses the e2e helpers (tests/e2e/vellum_e2e.py) and the build in $VELLUM_BUILD_ROOT/win."""

import argparse
import os
import shutil
import subprocess
import sys
import threading
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))
os.environ.setdefault("VELLUM_BUILD_DIR",
                      str(Path(os.environ.get("VELLUM_BUILD_ROOT", REPO / "build")) / "win"))
os.environ.setdefault("VELLUM_SOURCE_DIR", str(REPO))

from vellum_e2e import CMB_IMG_TYPE_ID, FORMATS, Driver, Program, WineEnv, wait_until  # noqa


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=3, help="PrintScreens per format")
    parser.add_argument("--formats", default="bmp,jpg,png,gif,tiff")
    args = parser.parse_args()

    env = WineEnv.from_environ()
    driver = Driver(env)
    root = env.drive_c / "vellum-answers"
    shutil.rmtree(root, ignore_errors=True)
    out = root / "out"
    out.mkdir(parents=True)
    # The busy scene stays on the screen while the program captures it.
    bench = env.build_dir / "tools" / "capture_bench" / "capture_bench.exe"
    cover = subprocess.Popen([env.wine, str(bench), "--cover=busy"], env=env.environ(),
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(3)
    program = Program(env, driver, root / "app")
    try:
        program.start(env={"tmp": env.win_path(out)})
        program.wait_main_window(visible=True)
        taken = 0
        print(f"{'format':6} {'slowest answer':>15} {'median':>8} {'last file after':>16}")
        for fmt in args.formats.split(","):
            driver.combo_select(program.hwnd, CMB_IMG_TYPE_ID, FORMATS.index(fmt))
            answers = {}
            seconds = 2.0 + args.rounds * 3.0

            def ask():
                answers.update(driver.command("answers", program.hwnd,
                                              f"--ms={int(seconds * 1000)}", ok_codes=(0, 1),
                                              timeout=seconds + 60)[0])

            asking = threading.Thread(target=ask)
            asking.start()
            time.sleep(0.5)
            began = time.monotonic()
            for _ in range(args.rounds):
                driver.key("snapshot")
            taken += args.rounds
            last = out / f"PXGR_Cap_{taken}.{fmt}"
            wait_until(last.exists, 60, 0.01)
            done = time.monotonic() - began
            asking.join()
            print(f"{fmt:6} {answers['slowest_us'] / 1000:12.1f} ms {answers['median_us'] / 1000:6.1f}"
                  f" ms {done:13.2f} s   ({answers['rounds']} round trips, "
                  f"{answers['unanswered']} unanswered)")
        program.close(timeout=60)
    finally:
        cover.kill()
        shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
