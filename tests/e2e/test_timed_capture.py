"""Timed capture from the main window: the mode box and its interval field, the refusals of the
button, continuous capture until Ctrl+F12, and the single capture two seconds after a click."""

import shutil
import time

import pytest

from vellum_e2e import FORM1_KEY, wait_until

P, CHECK1, TEXT1, L, LAB, COMMAND2 = 1000, 1011, 1012, 1013, 1019, 1022
EM_GETSEL = 0x00B0
STM_GETICON = 0x0171
WM_COMMAND = 0x0111
BN_CLICKED = 0


def files(out):
    """The pictures in the folder, oldest first. A save still running has only its temporary
    file, which is renamed (and gone) by the time it is looked at more closely."""
    found = []
    for p in out.iterdir():
        if p.name.endswith(".vellum-part"):
            continue
        try:
            found.append((p.stat().st_mtime, p))
        except FileNotFoundError:
            continue
    return [p for _, p in sorted(found, key=lambda item: item[0])]


def choose_continuous(vellum, interval):
    vellum.driver.click(vellum.hwnd, CHECK1)
    assert wait_until(lambda: vellum.control(TEXT1)["shown"])
    vellum.driver.set_text(vellum.hwnd, TEXT1, interval)


def click_capture(vellum):
    vellum.driver.click(vellum.hwnd, COMMAND2)


def hidden(vellum, timeout=3):
    return wait_until(lambda: not vellum.window()["visible"], timeout)


def test_the_mode_box_switches_caption_and_interval_field(vellum, test_dir, driver):
    vellum.start_with_output(test_dir, "bmp")
    assert vellum.control(CHECK1)["text"] == "连续抓取"
    driver.click(vellum.hwnd, CHECK1)
    assert wait_until(lambda: vellum.control(TEXT1)["shown"])
    assert vellum.control(CHECK1)["text"] == "自动抓取,每隔"
    assert vellum.control(L)["shown"]
    text1 = vellum.control(TEXT1)
    assert driver.guiinfo(vellum.hwnd)["focus"] == text1["hwnd"], "the field takes the focus"
    selection = driver.send(text1["hwnd"], EM_GETSEL)["result"]
    assert (selection & 0xFFFF, selection >> 16) == (0, 3), "with its whole text selected"

    driver.click(vellum.hwnd, CHECK1)
    assert wait_until(lambda: not vellum.control(TEXT1)["shown"])
    assert vellum.control(CHECK1)["text"] == "自动抓取(&A)"
    assert not vellum.control(L)["shown"]


@pytest.mark.parametrize("typed, after", [("abc", "200"), ("", "200"), ("1.5", "1.5"),
                                          ("-5", "-5"), ("1e3", "1e3")])
def test_the_interval_field_left_with_a_non_number_becomes_200(vellum, test_dir, driver, typed,
                                                                after):
    vellum.start_with_output(test_dir, "bmp")
    choose_continuous(vellum, typed)
    driver.focus(vellum.hwnd, P)
    assert wait_until(lambda: vellum.control(TEXT1)["text"] == after), vellum.control(TEXT1)


def assert_information_box(vellum, text):
    boxes = vellum.message_boxes(timeout=5)
    assert [(b["caption"], b["text"]) for b in boxes] == [("Vellum", text)]
    assert [b["id"] for b in boxes[0]["buttons"]] == [1], "a single OK button"
    icons = [c for c in vellum.driver.children(boxes[0]["hwnd"])
             if c["class"] == "Static" and c["text"] == "" and c["shown"]]
    assert any(vellum.driver.send(i["hwnd"], STM_GETICON)["result"] for i in icons), "an icon"
    vellum.driver.press_message_box_button("1", pid=vellum.pid)


def test_an_empty_folder_field_refuses_silently(vellum, test_dir, driver):
    out = vellum.start_with_output(test_dir, "bmp")
    driver.set_text(vellum.hwnd, P, "")
    click_capture(vellum)
    time.sleep(2.5)
    assert vellum.window()["visible"]
    assert vellum.message_boxes(timeout=0) == []
    assert files(out) == []


def test_a_missing_folder_is_named_and_nothing_is_captured(vellum, test_dir, driver):
    out = vellum.start_with_output(test_dir, "bmp")
    missing = vellum.env.win_path(test_dir / "不在 here") + "\\"
    driver.set_text(vellum.hwnd, P, missing)
    click_capture(vellum)
    assert_information_box(vellum, "文件夹" + missing + "不存在!")
    # A file is not a folder either.
    (test_dir / "a file").write_bytes(b"x")
    driver.set_text(vellum.hwnd, P, vellum.env.win_path(test_dir / "a file") + "\\")
    click_capture(vellum)
    assert_information_box(vellum, "文件夹" + vellum.env.win_path(test_dir / "a file") + "\\不存在!")
    time.sleep(2.5)
    assert vellum.window()["visible"]
    assert files(out) == []


@pytest.mark.parametrize("interval", ["100000", "65536", "-5"])
def test_an_interval_the_timer_cannot_hold_is_refused(vellum, test_dir, interval):
    out = vellum.start_with_output(test_dir, "bmp")
    choose_continuous(vellum, interval)
    click_capture(vellum)
    assert_information_box(vellum, "请输入正确的时间间隔!")
    time.sleep(1.0)
    assert vellum.window()["visible"], "nothing starts"
    assert files(out) == []


def test_a_restored_non_numeric_interval_is_refused_with_a_message(vellum, test_dir):
    vellum.settings_ini.write_bytes(
        "[PXGR_Vellum_Capture]\r\nForm1_Check1=1\r\nForm1_Text1=12 ms\r\n".encode("utf-16"))
    out = vellum.start_with_output(test_dir, "bmp")
    assert vellum.control(TEXT1)["text"] == "12 ms"
    click_capture(vellum)
    assert_information_box(vellum, "请输入正确的时间间隔!")
    time.sleep(0.5)
    assert vellum.window()["visible"], "the window stays shown"
    assert files(out) == []


def test_continuous_capture_every_200_ms_until_ctrl_f12(vellum, test_dir, driver):
    out = vellum.start_with_output(test_dir, "bmp")
    choose_continuous(vellum, "200")
    click_capture(vellum)
    assert hidden(vellum)
    began = time.monotonic()
    time.sleep(3.0)
    driver.key("ctrl+f12")
    assert wait_until(lambda: vellum.window()["visible"], 5)
    ran = time.monotonic() - began
    time.sleep(0.6)
    taken = files(out)
    print(f"\n{len(taken)} files in {ran:.2f} s at 200 ms")
    assert 0.6 * ran * 5 <= len(taken) <= ran * 5 + 1, [p.name for p in taken]
    assert [p.name for p in taken] == [f"PXGR_Cap_{i}.bmp" for i in range(1, len(taken) + 1)]
    time.sleep(0.5)
    assert len(files(out)) == len(taken), "Ctrl+F12 stopped the capture"
    last = vellum.env.win_path(taken[-1])
    assert vellum.control(LAB)["text"] == "已保存到:" + last


def test_interval_zero_captures_nothing(vellum, test_dir, driver):
    out = vellum.start_with_output(test_dir, "bmp")
    choose_continuous(vellum, "0")
    click_capture(vellum)
    assert hidden(vellum)
    time.sleep(1.5)
    assert files(out) == []
    driver.key("ctrl+f12")
    assert wait_until(lambda: vellum.window()["visible"], 5)


@pytest.mark.parametrize("fmt", ["bmp", "png"])
def test_figure_files_per_second_at_interval_1(vellum, test_dir, driver, fmt):
    out = vellum.start_with_output(test_dir, fmt)
    choose_continuous(vellum, "1")
    click_capture(vellum)
    assert hidden(vellum)
    time.sleep(1.0)  # past the first files
    first = len(files(out))
    began = time.monotonic()
    time.sleep(4.0)
    count = len(files(out)) - first
    rate = count / (time.monotonic() - began)
    driver.key("ctrl+f12")
    assert wait_until(lambda: vellum.window()["visible"], 5)
    print(f"\ncontinuous capture at interval 1, {fmt}, 1920x1080: {rate:.1f} files/s")
    assert rate > 1.0


def test_single_capture_waits_two_seconds_without_stalling_keys_and_opens_the_tool(
        vellum, test_dir, driver, registry, witness):
    tool_dir = test_dir / "my tool"
    tool_dir.mkdir()
    tool = tool_dir / "record args.exe"
    shutil.copy2(vellum.env.build_dir / "tools" / "tool_recorder" / "tool_recorder.exe", tool)
    registry.set_strings(FORM1_KEY, {"ChOp_Tip": vellum.env.win_path(tool)})
    out = vellum.start_with_output(test_dir, "png", folder="out with 空格")

    click_capture(vellum)
    clicked = time.monotonic()
    assert hidden(vellum)
    # A second click while it waits (the button posted as a click) starts nothing more.
    command2 = vellum.control(COMMAND2)["hwnd"]
    driver.post(vellum.hwnd, WM_COMMAND, (BN_CLICKED << 16) | COMMAND2, command2)
    driver.focus(witness.hwnd)
    sent = time.monotonic()
    driver.key("1", "2", "3")
    presses = [(vk, t) for m, vk, t in witness.collect(settle=0.2) if m == "keydown"]
    assert [vk for vk, _ in presses] == [ord(c) for c in "123"]
    assert presses[-1][1] - sent < 0.5, "keys typed during the wait arrive at once"

    saved = out / "PXGR_Cap_1.png"
    assert wait_until(saved.is_file, 8, 0.02)
    waited = time.monotonic() - clicked
    assert 1.8 <= waited <= 4.0, f"the file came {waited:.2f} s after the click"
    assert wait_until(lambda: vellum.window()["visible"], 5), "the window comes back"
    log = tool.with_name(tool.name + ".log")
    assert wait_until(log.is_file, 10), "the tool was started"
    time.sleep(2.5)
    assert [p.name for p in files(out)] == ["PXGR_Cap_1.png"], "exactly one capture"
    lines = log.read_text(encoding="utf-8").splitlines()
    assert lines == [f'"{vellum.env.win_path(tool)}" "{vellum.env.win_path(saved)}"']
