"""Helpers of the capture tests: run tools/capture_probe under Wine and read what it left.

The probe (a Windows program built with the project) puts windows of known pixels on the screen,
grabs and saves them through the program's own capture code, and writes info.json. The tests then
decode the files with independent decoders (PIL, ImageMagick) and compare them with an X
screenshot of the same screen.
"""

import json
import os
import subprocess
import time
from pathlib import Path

import pytest

CHINESE_FOLDER = "截图 测试"
IDENTIFY = "/usr/bin/identify"  # Debian's ImageMagick; another "convert"/"identify" may shadow it
IMPORT = "/usr/bin/import"
BASE_DLL_OVERRIDES = "mscoree,mshtml="


def environment():
    """Build dir, DISPLAY and WINEPREFIX from the caller; the test fails with the reason."""
    missing = [v for v in ("VELLUM_BUILD_DIR", "DISPLAY", "WINEPREFIX") if not os.environ.get(v)]
    if missing:
        pytest.fail("not set: " + ", ".join(missing) + " (run the suite through ctest)", pytrace=False)
    probe = Path(os.environ["VELLUM_BUILD_DIR"]) / "tools" / "capture_probe" / "capture_probe.exe"
    if not probe.is_file():
        pytest.fail(f"{probe} is not built", pytrace=False)
    return probe


def windows_path(path):
    """The Wine path of a Unix path (the Z: drive is the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wine_env(dll_overrides=BASE_DLL_OVERRIDES):
    env = dict(os.environ)
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = dll_overrides
    return env


def run_probe(mode, out_dir, dll_overrides=BASE_DLL_OVERRIDES, timeout=120):
    """Runs a probe mode that ends by itself and returns its info.json."""
    probe = environment()
    out_dir.mkdir(parents=True, exist_ok=True)
    result = subprocess.run(["wine", str(probe), mode, windows_path(out_dir)],
                            env=wine_env(dll_overrides), capture_output=True, timeout=timeout)
    assert result.returncode == 0, result.stderr.decode(errors="replace")
    return json.loads((out_dir / "info.json").read_text(encoding="utf-8"))


def screenshot(path):
    subprocess.run([IMPORT, "-window", "root", str(path)], check=True, timeout=60,
                   env=dict(os.environ))


def run_scene(out_dir, timeout=90):
    """Runs the probe's scene: its windows stay on screen until the screenshot is taken. Returns
    (info, screenshot path)."""
    probe = environment()
    out_dir.mkdir(parents=True, exist_ok=True)
    proc = subprocess.Popen(["wine", str(probe), "scene", windows_path(out_dir)], env=wine_env(),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    shot = out_dir / "screen.png"
    try:
        deadline = time.monotonic() + timeout
        while not (out_dir / "ready").exists():
            if proc.poll() is not None:
                raise AssertionError("capture_probe ended early: " +
                                     proc.stderr.read().decode(errors="replace"))
            if time.monotonic() > deadline:
                raise AssertionError("capture_probe did not get ready in time")
            time.sleep(0.05)
        screenshot(shot)
    finally:
        (out_dir / "release").touch()
        try:
            proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    info = json.loads((out_dir / "info.json").read_text(encoding="utf-8"))
    return info, shot


def identify(path, fmt="%m %w %h"):
    """ImageMagick's view of a file ("PNG 1920 1080"); fails the test when it cannot read it."""
    result = subprocess.run([IDENTIFY, "-format", fmt, str(path)], capture_output=True, timeout=60)
    assert result.returncode == 0, f"identify cannot read {path}: {result.stderr.decode()}"
    return result.stdout.decode().strip()


def read_with_gdiplus(path, out_bmp):
    """The platform's own decoder (GDI+, as a user's paint program opens the file) reads it; its
    pixels are written to out_bmp. Fails the test when GDI+ cannot read the file."""
    driver = environment().parent.parent / "driver" / "vellum_driver.exe"
    result = subprocess.run(["wine", str(driver), "gdiplus-read", windows_path(path),
                             windows_path(out_bmp)], env=wine_env(), capture_output=True,
                            timeout=120)
    assert result.returncode == 0, result.stderr.decode(errors="replace")
    return out_bmp
