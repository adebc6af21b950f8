"""On a scaled display the main window is laid out at the real DPI and a capture keeps the
screen's real pixel size (the program declares itself DPI aware)."""

import pytest
from PIL import Image

from vellum_e2e import WM_APP, wait_for_file

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
WM_APP_SAVE_SCREEN = WM_APP + 1
P_ID = 1000
TYPES_ID = 1003


def set_dpi(env, dpi):
    env.run_wine("reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi),
                 "/f")


@pytest.fixture
def display_at_150_percent(wine_env):
    set_dpi(wine_env, 144)
    yield
    set_dpi(wine_env, 96)


def test_layout_in_twips_at_144_dpi_and_captures_at_full_size(vellum, display_at_150_percent):
    vellum.start(env={"tmp": vellum.folder_win})
    window = vellum.window()
    left, top, right, bottom = window["client"]
    # 3855 x 3270 twips at 144 DPI: 1440 twips per inch.
    assert (right - left, bottom - top) == (386, 327)
    p_left, p_top, p_right, p_bottom = vellum.control(P_ID)["rect"]
    # P at (690, 30) twips, 2895 x 270.
    assert (p_left - left, p_top - top, p_right - p_left) == (69, 3, 290)

    vellum.driver.combo_select(vellum.hwnd, TYPES_ID, 0)  # bmp
    vellum.driver.post(vellum.hwnd, WM_APP_SAVE_SCREEN)
    saved = vellum.save_path(1, "bmp", folder=vellum.folder_win + "\\")
    assert wait_for_file(saved), f"{saved} was not written"
    with Image.open(saved) as picture:
        assert picture.size == (1920, 1080)
