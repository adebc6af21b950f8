"""Grabs of real screen pixels, saved in every format and read back by independent decoders.

One run of the probe's scene serves the module: a borderless window at the screen's top-left
corner and a framed foreground window at (900, 100), both painted with position-dependent colours;
the probe grabs and saves while they are shown, and an X screenshot of the same screen is the
reference.
"""

import pytest
from PIL import Image, ImageChops, ImageStat

from capture_helpers import CHINESE_FOLDER, identify, read_with_gdiplus, run_scene

RED = (255, 0, 0)


@pytest.fixture(scope="module")
def scene(tmp_path_factory):
    out = tmp_path_factory.mktemp("capture-scene")
    info, shot = run_scene(out)
    assert info["shown"], "the probe's windows never showed on the screen"
    failed = [name for name, ok in info["saved"].items() if not ok]
    assert not failed, f"saves reported as failed: {failed}"
    return info, out / CHINESE_FOLDER, Image.open(shot).convert("RGB")


def load(path):
    with Image.open(path) as im:
        return im.convert("RGB")


def differing_box(a, b):
    """The bounding box of the pixels where two pictures differ, None when they are equal."""
    assert a.size == b.size
    return ImageChops.difference(a, b).getbbox()


@pytest.mark.parametrize("ext", ["bmp", "png", "tiff"])
def test_whole_screen_is_the_primary_display_pixel_for_pixel(scene, ext):
    info, folder, screen = scene
    picture = load(folder / f"whole.{ext}")
    assert list(picture.size) == info["screen"] == list(screen.size)
    assert differing_box(picture, screen) is None


@pytest.mark.parametrize("ext", ["bmp", "png"])
def test_rectangle_copies_exactly_screen_pixels_10_20_to_39_59(scene, ext):
    _, folder, screen = scene
    picture = load(folder / f"rect.{ext}")
    assert picture.size == (30, 40)
    assert differing_box(picture, screen.crop((10, 20, 40, 60))) is None


def test_active_window_is_the_foreground_windows_outer_rectangle(scene):
    info, folder, screen = scene
    assert info["foreground_is_framed"]
    left, top, right, bottom = info["framed_outer"]
    picture = load(folder / "active.png")
    assert picture.size == (right - left, bottom - top)
    assert differing_box(picture, screen.crop((left, top, right, bottom))) is None


def test_window_interior_starts_at_the_client_corner_with_the_outer_size(scene):
    info, folder, screen = scene
    left, top, right, bottom = info["framed_outer"]
    c_left, c_top, c_right, c_bottom = info["framed_client"]
    assert (c_left, c_top) != (left, top), "the framed window has no frame to tell them apart"
    picture = load(folder / "interior.png")
    assert picture.size == (right - left, bottom - top)
    client = (0, 0, c_right - c_left, c_bottom - c_top)
    assert differing_box(picture.crop(client), screen.crop((c_left, c_top, c_right, c_bottom))) is None


@pytest.mark.parametrize("name, ring", [
    ("border255.png", RED),
    ("border255.bmp", RED),
    ("bordernone.png", RED),  # no colour chosen (-1): red, as the outline overlay shows it
    ("border_c08040.bmp", (0x40, 0x80, 0xC0)),  # 0x00BBGGRR
])
def test_border_paints_the_outer_ring_and_keeps_the_inside(scene, name, ring):
    _, folder, screen = scene
    picture = load(folder / name)
    assert picture.size == (100, 50)
    w, h = picture.size
    for x in range(w):
        assert picture.getpixel((x, 0)) == ring and picture.getpixel((x, h - 1)) == ring, x
    for y in range(h):
        assert picture.getpixel((0, y)) == ring and picture.getpixel((w - 1, y)) == ring, y
    inside = screen.crop((5 + 1, 5 + 1, 5 + w - 1, 5 + h - 1))
    assert picture.getpixel((1, 1)) == screen.getpixel((6, 6)) != ring
    assert differing_box(picture.crop((1, 1, w - 1, h - 1)), inside) is None


@pytest.mark.parametrize("ext, magick", [
    ("bmp", "BMP3"), ("png", "PNG"), ("jpg", "JPEG"), ("gif", "GIF"), ("tiff", "TIFF")])
def test_every_format_is_a_valid_file_of_the_screens_size(scene, ext, magick):
    info, folder, _ = scene
    width, height = info["screen"]
    assert identify(folder / f"whole.{ext}") == f"{magick} {width} {height}"
    with Image.open(folder / f"whole.{ext}") as im:
        assert im.format == {"bmp": "BMP", "png": "PNG", "jpg": "JPEG", "gif": "GIF",
                             "tiff": "TIFF"}[ext]
        im.load()  # decodes every pixel


@pytest.mark.parametrize("ext", ["png", "gif", "tiff"])
def test_the_platforms_decoder_reads_every_file_as_the_others_do(scene, ext, tmp_path):
    # GDI+ is what paint programs on Windows open the files with: it must read the program's own
    # encoders' files to the same pixels as PIL (and, for png and tiff, the screen's).
    info, folder, screen = scene
    with Image.open(folder / f"whole.{ext}") as im:
        by_pil = im.convert("RGB")
    by_gdiplus = load(read_with_gdiplus(folder / f"whole.{ext}", tmp_path / "gdiplus.bmp"))
    assert by_gdiplus.size == tuple(info["screen"])
    assert differing_box(by_gdiplus, by_pil) is None
    if ext != "gif":
        assert differing_box(by_gdiplus, screen) is None


def test_tiff_is_uncompressed_at_24_bits_per_pixel(scene):
    _, folder, _ = scene
    with Image.open(folder / "whole.tiff") as im:
        assert im.mode == "RGB"
        assert im.tag_v2[259] == 1  # Compression: none
        assert tuple(im.tag_v2[258]) == (8, 8, 8)  # BitsPerSample
        assert im.tag_v2[277] == 3  # SamplesPerPixel
    assert identify(folder / "whole.tiff", "%[compression] %[channels] %z") == "None srgb 8"


def test_gif_is_an_indexed_picture_of_the_screen(scene):
    _, folder, screen = scene
    with Image.open(folder / "whole.gif") as im:
        assert im.mode == "P"
        picture = im.convert("RGB")
    # Colours are approximated by the palette: the pattern areas stay close, black stays black.
    for box in [(0, 0, 320, 240), (904, 123, 1196, 296)]:
        assert max(ImageStat.Stat(ImageChops.difference(picture.crop(box), screen.crop(box))).mean) < 30
    assert differing_box(picture.crop((400, 400, 800, 800)), screen.crop((400, 400, 800, 800))) is None


def test_jpeg_is_a_lossy_picture_of_the_screen(scene):
    _, folder, screen = scene
    # Compared in brightness, which JPEG keeps best (colour is subsampled): the pattern areas are
    # about 5 apart on average, against about 13 for the screen shifted by one pixel.
    picture = load(folder / "whole.jpg").convert("L")
    gray = screen.convert("L")
    for box in [(0, 0, 320, 240), (904, 123, 1196, 296), (400, 400, 800, 800)]:
        assert ImageStat.Stat(ImageChops.difference(picture.crop(box), gray.crop(box))).mean[0] < 8
