"""The output options of the main window: the clipboard box's format rule, and the tool path
edited through the right-click input box."""

import time

import pytest

from vellum_e2e import FORMATS, wait_until

CMB_IMG_TYPE, CHECK2, CHOP = 1003, 1007, 1008
INPUT_PROMPT_ID, INPUT_ANSWER_ID, IDOK, IDCANCEL = 100, 101, 1, 2


def selected_format(vellum):
    return vellum.control(CMB_IMG_TYPE)["text"]


@pytest.mark.parametrize("overrides, png_becomes", [(None, "gif"), ("gdiplus=d", "bmp")])
def test_checking_the_clipboard_box_moves_png_to_a_smaller_format(vellum, driver, overrides,
                                                                    png_becomes):
    vellum.start_shown(dll_overrides=overrides)
    driver.click(vellum.hwnd, CHECK2)
    assert wait_until(lambda: selected_format(vellum) == png_becomes)
    if overrides is None:
        # Other formats stay, and png may be chosen again while the box stays checked.
        driver.combo_select(vellum.hwnd, CMB_IMG_TYPE, FORMATS.index("png"))
        assert selected_format(vellum) == "png"
        driver.click(vellum.hwnd, CHECK2)
        driver.click(vellum.hwnd, CHECK2)
        assert wait_until(lambda: selected_format(vellum) == "gif")
        driver.combo_select(vellum.hwnd, CMB_IMG_TYPE, FORMATS.index("tiff"))
        driver.click(vellum.hwnd, CHECK2)
        driver.click(vellum.hwnd, CHECK2)
        time.sleep(0.3)
        assert selected_format(vellum) == "tiff"


def test_a_restored_clipboard_box_with_png_ends_loading_with_gif(vellum):
    vellum.settings_ini.write_bytes(
        ("[PXGR_Vellum_Capture]\r\nForm1_Check2=1\r\n"
         "Form1_cmbImgTypeList=bmp\tjpg\tgif\tpng\ttiff\r\nForm1_cmbImgType=png\r\n"
         "Form1_cmbImgTypeIndex=3\r\n").encode("utf-16"))
    vellum.start_shown()
    assert selected_format(vellum) == "gif"


def input_box(vellum):
    """The input box of the program (a dialog captioned "Vellum" with the answer field)."""
    found = []

    def look():
        for w in vellum.windows(cls="#32770", visible=True):
            controls = vellum.driver.controls(w["hwnd"])
            if INPUT_ANSWER_ID in controls:
                found.append((w, controls))
                return True
        return False

    assert wait_until(look, 5), "no input box"
    return found[0]


@pytest.mark.parametrize("answer, button, tool_after", [
    ("D:\\图 工具\\view.exe", IDOK, "D:\\图 工具\\view.exe"),
    ("D:\\other.exe", IDCANCEL, "mspaint.exe"),
    ("", IDOK, "mspaint.exe"),
])
def test_right_click_on_the_tool_box_edits_the_tool_path(vellum, driver, answer, button,
                                                         tool_after):
    vellum.start_shown()
    driver.click(vellum.hwnd, CHOP, right=True)
    box, controls = input_box(vellum)
    assert box["caption"] == "Vellum"
    assert controls[INPUT_PROMPT_ID]["text"] == "程序:"
    assert controls[INPUT_ANSWER_ID]["text"] == "mspaint.exe", "the current path is the default"
    driver.set_text(box["hwnd"], INPUT_ANSWER_ID, answer)
    driver.click(box["hwnd"], button)
    assert wait_until(lambda: not vellum.windows(cls="#32770", visible=True), 5)
    assert vellum.tooltips().get(CHOP) == tool_after
    assert vellum.control(CHOP)["check"] == 1, "the box keeps its state"


RUN_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run"
CHECK3 = 1024


@pytest.fixture
def run_value(registry):
    """The program's value in the Run key, removed before and after the test."""
    def read():
        return registry.values(RUN_KEY).get("Vellum_Capture")

    def remove():
        registry.env.run_wine("reg", "delete", RUN_KEY, "/v", "Vellum_Capture", "/f", check=False)

    remove()
    yield read
    remove()


def test_the_autorun_box_writes_and_removes_the_run_value(vellum, driver, run_value):
    vellum.start_shown()
    expected = f'"{vellum.env.win_path(vellum.exe)}" /a'
    driver.click(vellum.hwnd, CHECK3)
    assert wait_until(lambda: run_value() is not None, 5), "checked: written"
    assert (run_value().type, run_value().value) == ("REG_SZ", expected)
    driver.click(vellum.hwnd, CHECK3)
    assert wait_until(lambda: run_value() is None, 5), "unchecked: removed, not left empty"

    # A box left checked writes the entry again at the next start (the program may have moved).
    driver.click(vellum.hwnd, CHECK3)
    assert wait_until(lambda: run_value() is not None, 5)
    vellum.close()
    vellum.env.run_wine("reg", "delete", RUN_KEY, "/v", "Vellum_Capture", "/f")
    vellum.start(args="/a")
    assert wait_until(lambda: run_value() is not None, 10)
    assert run_value().value == expected


BS_FLAT = 0x8000
FLAT = {1001, 1007, 1008, 1011, 1014, 1015, 1016, 1017, 1021, 1022, 1024, 1025}


def test_buttons_check_boxes_and_options_are_flat_and_nothing_else(vellum):
    vellum.start_shown()
    controls = vellum.controls()
    flat = {cid for cid, c in controls.items() if c["style"] & BS_FLAT and c["class"] == "Button"}
    assert flat == FLAT, "group boxes, labels, fields and the list keep their style"
