"""The program's own BMP writer at every colour depth, read back by PIL and ImageMagick.

The probe saves DIB sections of 13 x 5 pixels (rows padded at every depth below 32 bits) whose
pixels follow a formula of their position; the same formula gives the expected colours here.
"""

import pytest
from PIL import Image

from capture_helpers import identify, run_probe

W, H = 13, 5


@pytest.fixture(scope="module")
def depths(tmp_path_factory):
    out = tmp_path_factory.mktemp("capture-depths")
    info = run_probe("depths", out)
    return info, out


def palette_colour(i):
    return ((i * 37) & 255, (i * 91 + 17) & 255, (i * 151 + 5) & 255)


def expected_pixel(bpp, x, y):
    if bpp <= 8:
        return palette_colour((x * 3 + y * 5) % (1 << bpp))
    if bpp == 16:  # 5-6-5 values, compared at their own precision
        return (((x * 5) & 31), ((y * 9) & 63), (((x + y) * 3) & 31))
    return ((x * y + 11) & 255, (y * 29 + 3) & 255, (x * 13 + 7) & 255)


def as_565(rgb):
    r, g, b = rgb
    return (round(r * 31 / 255), round(g * 63 / 255), round(b * 31 / 255))


@pytest.mark.parametrize("bpp", [1, 4, 8, 16, 24, 32])
def test_bmp_keeps_its_depth_and_every_pixel(depths, bpp):
    info, out = depths
    assert info["saved"][f"depth{bpp}.bmp"]
    path = out / f"depth{bpp}.bmp"
    assert identify(path, "%m %w %h") == f"BMP3 {W} {H}"
    data = path.read_bytes()
    assert int.from_bytes(data[2:6], "little") == len(data)
    assert int.from_bytes(data[28:30], "little") == bpp
    with Image.open(path) as im:
        assert im.size == (W, H)
        picture = im.convert("RGB")
    wrong = []
    for y in range(H):
        for x in range(W):
            got = picture.getpixel((x, y))
            if bpp == 16:
                got = as_565(got)
            if got != expected_pixel(bpp, x, y):
                wrong.append((x, y, got, expected_pixel(bpp, x, y)))
    assert not wrong, wrong[:5]
