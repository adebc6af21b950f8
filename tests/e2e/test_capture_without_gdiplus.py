"""Without gdiplus.dll (disabled through WINEDLLOVERRIDES) the capture code still runs: the probe
says GDI+ is missing, BMP and PNG (the program's own writers) are written, and a JPG save ends in
the error box."""

from PIL import Image

from capture_helpers import BASE_DLL_OVERRIDES, identify, run_probe


def test_bmp_saves_and_other_formats_show_the_error_box(tmp_path):
    info = run_probe("nogdiplus", tmp_path, dll_overrides=BASE_DLL_OVERRIDES + ";gdiplus=d")
    assert info["available"] is False

    assert info["saved"]["whole.bmp"] is True
    assert identify(tmp_path / "whole.bmp") == "BMP3 1920 1080"
    with Image.open(tmp_path / "whole.bmp") as im:
        im.load()

    assert info["saved"]["whole.png"] is True
    assert identify(tmp_path / "whole.png") == "PNG 1920 1080"
    assert info["saved"]["whole.jpg"] is False
    assert not (tmp_path / "whole.jpg").exists()
    assert info["box_shown"]
    assert info["box_caption"] == "错误"
    text = info["box_text"]
    assert text.startswith("在保存图片的过程中发生错误:\r\n\r\n错误号:  126\r\n错误描述:  "), text
    assert text.endswith("(gdiplus.dll)"), text
