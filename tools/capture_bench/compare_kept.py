#!/usr/bin/env python3
"""Reads the files `capture_bench --keep=DIR` left and prints, for each, its size and its PSNR
against the BMP of the same picture (PIL decodes every file; the screen is still while the
benchmark runs, so every grab is the same picture).

    /usr/bin/python3 tools/capture_bench/compare_kept.py DIR"""

import math
import sys
from pathlib import Path

from PIL import Image, ImageChops, ImageStat


def psnr(a, b):
    diff = ImageChops.difference(a.convert("RGB"), b.convert("RGB"))
    mse = sum(v * v for v in ImageStat.Stat(diff).rms) / 3
    return math.inf if mse == 0 else 10 * math.log10(255 * 255 / mse)


def main(folder):
    folder = Path(folder)
    for group, reference in (("screen", "screen.bmp"), ("4k", "4k.bmp")):
        ref_path = folder / reference
        if not ref_path.exists():
            continue
        with Image.open(ref_path) as ref:
            ref.load()
            for path in sorted(folder.glob(group + "*")):
                with Image.open(path) as image:
                    value = psnr(ref, image)
                shown = "exact" if value == math.inf else f"{value:.1f} dB"
                print(f"{path.name:24} {path.stat().st_size:>10} bytes   PSNR {shown}")


if __name__ == "__main__":
    main(sys.argv[1])
