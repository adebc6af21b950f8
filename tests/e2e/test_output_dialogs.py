"""The main window's dialogs and the tool it opens pictures with, played as a user: the folder
chooser, the border colour, the tool box's file dialog, and which capture road starts the tool."""

import shutil
import time

import pytest
from PIL import Image

from test_hotkeys_region import EDGE_CLASS, STEP_MS, begin_selection, drag
from vellum_e2e import FORM1_KEY, screenshot, wait_for_file, wait_until

P, COMMAND3, CHOP, CHECK4, COMMAND2 = 1000, 1001, 1008, 1025, 1022
FOLDER_TITLE = "抓取的图片保存到..."
TOOL_TITLE = "用来打开抓到的图片的工具:(例如用尚书七号打开识别文字)"
OK, CANCEL = 1, 2


def dialog(vellum, kind):
    found = vellum.driver.dialog(pid=vellum.pid, timeout=10)
    assert found is not None and found["kind"] == kind, found
    return found


def dialog_gone(vellum):
    return wait_until(lambda: vellum.driver.dialog(pid=vellum.pid, timeout=0) is None, 5)


def test_folder_chooser_preselects_the_folder_and_a_choice_sets_it(vellum, test_dir, driver):
    out = vellum.start_with_output(test_dir, "bmp", folder="out 输出")
    other = test_dir / "另一个 folder"
    other.mkdir()
    current = vellum.env.win_path(out)
    driver.click(vellum.hwnd, COMMAND3)
    shown = dialog(vellum, "folder")
    assert shown["title"] == FOLDER_TITLE
    assert wait_until(lambda: dialog(vellum, "folder")["selected_path"] == current)
    assert shown["owner"] == vellum.hwnd
    driver.dialog_press(CANCEL, pid=vellum.pid)
    assert dialog_gone(vellum)
    assert vellum.control(P)["text"] == current + "\\", "cancel changes nothing"
    assert vellum.tooltips().get(P, "") == ""

    driver.click(vellum.hwnd, COMMAND3)
    dialog(vellum, "folder")
    chosen = vellum.env.win_path(other)
    driver.folder_dialog_select(chosen, pid=vellum.pid, ok=True)
    assert dialog_gone(vellum)
    assert wait_until(lambda: vellum.control(P)["text"] == chosen + "\\")
    assert vellum.tooltips().get(P) == chosen
    # The next capture lands there.
    driver.key("snapshot")
    assert wait_for_file(other / "PXGR_Cap_1.bmp")


def edge_pixels(shot, vellum):
    edges = [w["rect"] for w in vellum.windows(cls=EDGE_CLASS, visible=True)]
    assert len(edges) == 4
    return {shot.getpixel((left, top)) for left, top, _, _ in edges}


def test_border_colour_is_picked_drawn_into_pictures_and_shown_by_the_outline(
        vellum, test_dir, driver, wine_env, registry):
    out = vellum.start_with_output(test_dir, "bmp", folder="out 输出")
    driver.click(vellum.hwnd, CHECK4)
    shown = dialog(vellum, "color")
    assert (shown["red"], shown["green"], shown["blue"]) == ("0", "0", "0"), "black at first"
    driver.color_dialog_rgb(0, 128, 255, pid=vellum.pid, ok=True)
    assert dialog_gone(vellum)

    driver.key("snapshot")
    saved = out / "PXGR_Cap_1.bmp"
    assert wait_for_file(saved)
    with Image.open(saved) as image:
        pixels = image.convert("RGB")
        for x, y in [(0, 0), (1919, 0), (0, 1079), (1919, 1079), (960, 0)]:
            assert pixels.getpixel((x, y)) == (0, 128, 255), (x, y)

    with driver.paint(50, 150, 500, 300, color=0x00FF00):
        begin_selection(vellum, driver)
        driver.mouse("down", (100, 200))
        driver.command("mouse", "move", "300", "300", "400", "350", f"--step-ms={STEP_MS}")
        time.sleep(0.1)
        driver.mouse("move", (400, 350))
        assert wait_until(lambda: len(vellum.windows(cls=EDGE_CLASS, visible=True)) == 4, 3)
        time.sleep(0.3)
        assert edge_pixels(screenshot(wine_env), vellum) == {(0, 128, 255)}
        driver.key("f9")
    assert wait_until(lambda: not vellum.windows(cls=EDGE_CLASS, visible=True), 5)

    # Unchecked: the outline is red again, and the colour is kept for the next start.
    driver.key("ctrl+f12")
    assert wait_until(lambda: vellum.window()["visible"], 5)
    driver.click(vellum.hwnd, CHECK4)
    assert wait_until(lambda: vellum.control(CHECK4)["check"] == 0)
    assert vellum.driver.dialog(pid=vellum.pid, timeout=0.5) is None, "no dialog on unchecking"
    with driver.paint(50, 150, 500, 300, color=0x00FF00):
        begin_selection(vellum, driver)
        drag_to_show_outline(driver)
        assert wait_until(lambda: len(vellum.windows(cls=EDGE_CLASS, visible=True)) == 4, 3)
        time.sleep(0.3)
        assert edge_pixels(screenshot(wine_env), vellum) == {(255, 0, 0)}
        driver.key("f9")
    driver.key("ctrl+f12")
    assert wait_until(lambda: vellum.window()["visible"], 5)
    vellum.close()
    assert registry.values(FORM1_KEY)["Check4_Tag"].value == str(0xFF8000)


def drag_to_show_outline(driver):
    driver.mouse("down", (100, 200))
    driver.command("mouse", "move", "300", "300", "400", "350", f"--step-ms={STEP_MS}")
    time.sleep(0.1)
    driver.mouse("move", (400, 350))


def test_cancelled_colour_dialog_at_the_first_use_gives_black(vellum, test_dir, driver,
                                                              registry):
    vellum.start_with_output(test_dir, "bmp", folder="out 输出")
    driver.click(vellum.hwnd, CHECK4)
    dialog(vellum, "color")
    driver.dialog_press(CANCEL, pid=vellum.pid)
    assert dialog_gone(vellum)
    assert vellum.control(CHECK4)["check"] == 1
    vellum.close()
    assert registry.values(FORM1_KEY)["Check4_Tag"].value == "0"


@pytest.fixture
def recorder(vellum, test_dir):
    """The tool stand-in in a folder with blanks; returns (its Windows path, its log file)."""
    folder = test_dir / "my tools 工具"
    folder.mkdir()
    tool = folder / "record args.exe"
    shutil.copy2(vellum.env.build_dir / "tools" / "tool_recorder" / "tool_recorder.exe", tool)
    return vellum.env.win_path(tool), tool.with_name(tool.name + ".log")


def test_tool_box_file_dialog_is_prefilled_and_cancel_keeps_the_tool(vellum, test_dir, driver,
                                                                       recorder):
    vellum.start_with_output(test_dir, "bmp", folder="out 输出")
    tool, _ = recorder
    driver.click(vellum.hwnd, CHOP)  # unchecked: the path is put aside
    assert wait_until(lambda: vellum.control(CHOP)["check"] == 0)
    assert vellum.tooltips().get(CHOP, "") == ""
    driver.click(vellum.hwnd, CHOP)
    shown = dialog(vellum, "file")
    assert shown["name"] == "mspaint.exe", "pre-filled with the previous tool"
    assert shown["caption"] == TOOL_TITLE
    assert shown["types"] == ["*.exe", "*.*"]
    driver.dialog_press(CANCEL, pid=vellum.pid)
    assert dialog_gone(vellum)
    assert vellum.tooltips().get(CHOP) == "mspaint.exe"

    driver.click(vellum.hwnd, CHOP)
    driver.click(vellum.hwnd, CHOP)
    dialog(vellum, "file")
    driver.file_dialog_name(tool, pid=vellum.pid, ok=True)
    assert dialog_gone(vellum)
    assert wait_until(lambda: vellum.tooltips().get(CHOP) == tool)


# Which capture roads start the tool, by the state of the tool box and its path.
@pytest.mark.parametrize("setup, launched_by", [
    ("checked", {"single", "printscreen", "region"}),
    ("unchecked, path typed", {"single"}),
    ("unchecked", set()),
])
def test_each_capture_road_opens_the_tool_as_its_rule_says(vellum, test_dir, driver, registry,
                                                           recorder, setup, launched_by):
    tool, log = recorder
    registry.set_strings(FORM1_KEY, {"ChOp_Tip": tool})
    out = vellum.start_with_output(test_dir, "png", folder="out 输出")
    if setup.startswith("unchecked"):
        driver.click(vellum.hwnd, CHOP)
        assert wait_until(lambda: vellum.control(CHOP)["check"] == 0)
    if setup == "unchecked, path typed":
        driver.click(vellum.hwnd, CHOP, right=True)
        box = wait_until(lambda: vellum.windows(cls="#32770", visible=True), 5)
        assert box
        hwnd = vellum.windows(cls="#32770", visible=True)[0]["hwnd"]
        driver.set_text(hwnd, 101, tool)
        driver.click(hwnd, OK)
        assert wait_until(lambda: vellum.tooltips().get(CHOP) == tool)

    saved = {}
    driver.click(vellum.hwnd, COMMAND2)  # the single capture, two seconds later
    saved["single"] = out / "PXGR_Cap_1.png"
    assert wait_for_file(saved["single"], 10)
    assert wait_until(lambda: vellum.window()["visible"], 5)
    driver.key("snapshot")
    saved["printscreen"] = out / "PXGR_Cap_2.png"
    assert wait_for_file(saved["printscreen"], 10)
    begin_selection(vellum, driver)
    drag(driver, (100, 200), [(200, 250)], (300, 300))
    saved["region"] = out / "PXGR_Cap_3.png"
    assert wait_for_file(saved["region"], 10)

    time.sleep(2.0)  # a tool started late would still be seen
    expected = [f'"{tool}" "{vellum.env.win_path(saved[road])}"'
                for road in ("single", "printscreen", "region") if road in launched_by]
    lines = log.read_text(encoding="utf-8").splitlines() if log.exists() else []
    assert lines == expected
