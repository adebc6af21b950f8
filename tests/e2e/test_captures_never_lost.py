"""A capture is never lost or falsely reported: failed PrintScreens say so, names the platform
would misread are refused, folders in the way are skipped, deep folders work, files appear only
complete (by a rename), a kill in the middle of a save leaves no broken picture, and the hotkeys
during the single capture's wait do what the user means."""

import ctypes
import os
import struct
import time

from test_hotkeys_region import TIP_CLASS, begin_selection, drag, visible_windows
from test_timed_capture import COMMAND2, choose_continuous, click_capture, files
from vellum_e2e import FORM1_KEY, wait_for_file, wait_until

P, TBXQZ, CHOP, LAB = 1000, 1005, 1008, 1019


def start_hidden_with_output(vellum, test_dir, fmt="png"):
    """A running program with its output folder; the window hidden by Ctrl+F12, as the program
    mostly runs."""
    out = vellum.start_with_output(test_dir, fmt)
    vellum.driver.key("ctrl+f12")
    assert wait_until(lambda: not vellum.window()["visible"], 5)
    return out


def status(vellum):
    return vellum.control(LAB)["text"]


def test_a_printscreen_into_a_missing_folder_says_it_failed(vellum, test_dir, driver):
    start_hidden_with_output(vellum, test_dir)
    before = status(vellum)
    missing = vellum.env.win_path(test_dir / "gone") + "\\"
    driver.set_text(vellum.hwnd, P, missing)
    driver.key("snapshot")
    assert wait_until(lambda: status(vellum) != before, 5)
    assert status(vellum) == "保存失败:" + missing + "PXGR_Cap_1.png"
    assert not (test_dir / "gone").exists()


def test_a_successful_printscreen_leaves_the_status_line(vellum, test_dir, driver):
    out = start_hidden_with_output(vellum, test_dir)
    before = status(vellum)
    driver.key("snapshot")
    assert wait_for_file(out / "PXGR_Cap_1.png")
    time.sleep(0.3)
    assert status(vellum) == before


def test_folders_named_like_the_next_files_are_skipped(vellum, test_dir, driver):
    out = start_hidden_with_output(vellum, test_dir)
    (out / "PXGR_Cap_1.png").mkdir()
    (out / "PXGR_Cap_2.png").mkdir()
    driver.key("snapshot")
    assert wait_for_file(out / "PXGR_Cap_3.png")


def test_names_the_platform_would_misread_are_refused_and_nothing_is_written(vellum, test_dir,
                                                                             driver):
    out = start_hidden_with_output(vellum, test_dir)
    folder = vellum.env.win_path(out) + "\\"
    for number, prefix in enumerate(["Cap:", "NUL.", "a\\b", "x|y"], start=1):
        driver.set_text(vellum.hwnd, TBXQZ, prefix)
        driver.key("snapshot")
        name = f"{folder}{prefix}{number}.png"
        assert wait_until(lambda: status(vellum).startswith("保存失败:" + name + " ("), 5), (
            status(vellum))
    assert list(out.rglob("*")) == [], "nothing written in the folder, nor below it"
    assert sorted(p.name for p in test_dir.iterdir()) == ["app", "out"], "nor beside it"
    assert vellum.control(TBXQZ)["text"] == "x|y", "the prefix is the user's"


def test_a_folder_deeper_than_max_path_gets_its_capture(vellum, test_dir, driver):
    out = start_hidden_with_output(vellum, test_dir)
    deep = out
    while len(vellum.env.win_path(deep)) < 400:
        deep = deep / ("很深的文件夹 " + "d" * 40)
    deep.mkdir(parents=True)
    folder = vellum.env.win_path(deep) + "\\"
    assert len(folder + "PXGR_Cap_1.png") > 400
    driver.set_text(vellum.hwnd, P, folder)
    driver.key("snapshot")
    assert wait_for_file(deep / "PXGR_Cap_1.png"), status(vellum)
    # The button's folder check takes the deep folder too.
    driver.key("ctrl+f12")
    assert wait_until(lambda: vellum.window()["visible"], 5)
    click_capture(vellum)
    assert wait_for_file(deep / "PXGR_Cap_2.png", 10), status(vellum)
    assert vellum.message_boxes(timeout=0) == []


# ---------------------------------------------------------------------------------------------
# Files appear only complete

IN_CREATE, IN_MOVED_TO, IN_CLOSE_WRITE = 0x100, 0x80, 0x8


class FolderWatch:
    """inotify on the Unix folder: the events each name arrived by."""

    def __init__(self, folder):
        self.libc = ctypes.CDLL("libc.so.6", use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK)
        assert self.fd >= 0
        wd = self.libc.inotify_add_watch(self.fd, str(folder).encode(),
                                         IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE)
        assert wd >= 0
        self.events = []

    def read(self):
        while True:
            try:
                data = os.read(self.fd, 65536)
            except BlockingIOError:
                return self.events
            pos = 0
            while pos < len(data):
                _, mask, _, length = struct.unpack_from("iIII", data, pos)
                name = data[pos + 16:pos + 16 + length].rstrip(b"\0").decode()
                self.events.append((mask, name))
                pos += 16 + length

    def close(self):
        os.close(self.fd)


def test_every_road_brings_its_file_by_a_rename(vellum, test_dir, driver):
    out = vellum.start_with_output(test_dir, "png")
    watch = FolderWatch(out)
    try:
        click_capture(vellum)  # the single capture
        assert wait_for_file(out / "PXGR_Cap_1.png", 10)
        assert wait_until(lambda: vellum.window()["visible"], 5)
        driver.key("snapshot")
        assert wait_for_file(out / "PXGR_Cap_2.png")
        begin_selection(vellum, driver)
        drag(driver, (100, 200), [(200, 250)], (300, 300))
        assert wait_for_file(out / "PXGR_Cap_3.png")
        driver.key("ctrl+f12")
        assert wait_until(lambda: vellum.window()["visible"], 5)
        choose_continuous(vellum, "150")
        click_capture(vellum)
        assert wait_for_file(out / "PXGR_Cap_5.png")
        driver.key("ctrl+f12")
        time.sleep(0.5)
        events = watch.read()
    finally:
        watch.close()
    finals = sorted({name for _, name in events if name.endswith(".png")})
    assert len(finals) >= 5
    for name in finals:
        arrivals = [mask for mask, n in events if n == name]
        assert arrivals and all(mask & IN_MOVED_TO for mask in arrivals), (name, arrivals)
    assert [p.name for p in files(out)] == [f"PXGR_Cap_{i}.png" for i in range(1, len(finals) + 1)]


def test_a_kill_during_a_save_leaves_no_broken_picture(vellum, test_dir, driver):
    # The save is held for a while between its complete write and the rename: time to kill it.
    out = test_dir / "out"
    out.mkdir()
    vellum.start(env={"tmp": vellum.env.win_path(out), "VELLUM_TEST_SAVE_PAUSE_MS": "5000"})
    vellum.wait_main_window(visible=True)
    driver.combo_select(vellum.hwnd, 1003, 2)  # gif
    watch = FolderWatch(out)
    try:
        driver.key("snapshot")
        assert wait_until(lambda: any(mask & IN_CREATE for mask, _ in watch.read()), 5)
        driver.kill(vellum.pid)
    finally:
        watch.close()
    assert not (out / "PXGR_Cap_1.gif").exists(), "no picture under the final name"
    assert [p.name for p in out.iterdir()] == ["PXGR_Cap_1.gif.vellum-part"]
    # What the killed save left is no picture and takes no number.
    vellum.start_with_output(test_dir, "gif")
    driver.key("snapshot")
    assert wait_for_file(out / "PXGR_Cap_1.gif", 15)


def test_the_tool_gets_exactly_one_argument_whatever_the_paths_hold(vellum, test_dir, driver,
                                                                     registry):
    tools = test_dir / "R&D ^%PATH%! 工具"
    tools.mkdir()
    tool = tools / "看 图&.exe"
    tool.write_bytes((vellum.env.build_dir / "tools" / "tool_recorder" /
                      "tool_recorder.exe").read_bytes())
    registry.set_strings(FORM1_KEY, {"ChOp_Tip": vellum.env.win_path(tool)})
    out = vellum.start_with_output(test_dir, "png", folder="100% 截图 & ^x")
    driver.key("snapshot")
    saved = out / "PXGR_Cap_1.png"
    assert wait_for_file(saved)
    args_log = tool.with_name(tool.name + ".args")
    assert wait_until(args_log.exists, 10), "the tool was started"
    assert args_log.read_text(encoding="utf-8").splitlines() == [vellum.env.win_path(saved)]


def test_a_typed_tool_path_with_a_double_quote_is_refused(vellum, test_dir, driver):
    vellum.start_with_output(test_dir, "png")
    before = vellum.tooltips().get(CHOP)
    driver.click(vellum.hwnd, CHOP, right=True)
    assert wait_until(lambda: vellum.windows(cls="#32770", visible=True), 5)
    box = vellum.windows(cls="#32770", visible=True)[0]["hwnd"]
    driver.set_text(box, 101, '"C:\\tools\\v.exe" & calc')
    driver.click(box, 1)
    assert wait_until(lambda: status(vellum) == "程序路径不能含有双引号或控制字符", 5)
    assert vellum.tooltips().get(CHOP) == before


# ---------------------------------------------------------------------------------------------
# Hotkeys during the single capture's wait

def test_ctrl_f12_during_the_wait_cancels_the_capture_and_shows_the_window(vellum, test_dir,
                                                                          driver):
    out = vellum.start_with_output(test_dir, "png")
    click_capture(vellum)
    assert wait_until(lambda: not vellum.window()["visible"], 3)
    driver.key("ctrl+f12")
    assert wait_until(lambda: vellum.window()["visible"], 3)
    time.sleep(2.5)
    assert files(out) == [], "no picture with the program's own window in it"


def test_ctrl_alt_a_during_the_wait_cancels_it_and_starts_the_selection(vellum, test_dir,
                                                                        driver):
    out = vellum.start_with_output(test_dir, "png")
    click_capture(vellum)
    assert wait_until(lambda: not vellum.window()["visible"], 3)
    begin_selection(vellum, driver)
    time.sleep(2.5)
    assert files(out) == [], "the pending capture is gone"
    assert visible_windows(vellum, TIP_CLASS), "the selection still runs"
    drag(driver, (100, 200), [(200, 250)], (300, 300))
    assert wait_for_file(out / "PXGR_Cap_1.png")


def test_printscreen_during_the_wait_saves_at_once_and_the_capture_follows(vellum, test_dir,
                                                                           driver):
    out = vellum.start_with_output(test_dir, "png")
    click_capture(vellum)
    assert wait_until(lambda: not vellum.window()["visible"], 3)
    driver.key("snapshot")
    assert wait_for_file(out / "PXGR_Cap_1.png")
    assert wait_for_file(out / "PXGR_Cap_2.png", 10)
    assert wait_until(lambda: vellum.window()["visible"], 5)


def test_the_encoding_error_box_comes_in_front_while_the_window_is_hidden(vellum, test_dir,
                                                                          driver):
    # A hand-edited format list: a format no encoder takes.
    vellum.settings_ini.write_bytes(
        "[PXGR_Vellum_Capture]\r\nForm1_cmbImgTypeList=bmp\twebp\r\nForm1_cmbImgTypeIndex=1\r\n"
        .encode("utf-16"))
    out = test_dir / "out"
    out.mkdir()
    vellum.start(args="/a", env={"tmp": vellum.env.win_path(out)})
    driver.key("snapshot")
    boxes = vellum.message_boxes(timeout=10)
    assert [b["caption"] for b in boxes] == ["错误"]
    box = [w for w in vellum.windows(visible=True) if w["hwnd"] == boxes[0]["hwnd"]][0]
    # MB_TOPMOST asks for the top band too; Wine 8 leaves a message box out of it.
    assert box["foreground"], str(box)
    vellum.driver.press_message_box_button("1", pid=vellum.pid)
    assert files(out) == []
