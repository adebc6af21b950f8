"""The About box of the real program: opened by a click on the main window's ".." label, modal
over the main window, filled from the executable's version resource, closed by Esc and built
afresh at the next opening."""

import re
from pathlib import Path

import pytest

from vellum_e2e import WM_CLOSE, wait_until

ABOUT_CLASS = "VellumAbout"
ABOUT_CAPTION = "关于 Vellum_Capture --By 栖木软件"
LABEL3 = 1023  # the main window's ".." label
EM_GETSEL = 0x00B0
ES_MULTILINE, ES_READONLY = 0x0004, 0x0800

# The About window's controls by ID (1000 + tab index).
COMMAND1, IMG, LABEL1, LABEL2, TEXT2, LABEL9, TEXT1 = (
    1000, 1001, 1002, 1003, 1004, 1006, 1008)


def file_description(source_dir):
    """The FileDescription text of the program's version resource, as the resource holds it."""
    rc = (Path(source_dir) / "res" / "Vellum_Capture.rc").read_text(encoding="utf-8")
    quoted = re.search(r'VALUE\s+"FileDescription",\s+"((?:[^"\\]|\\.)*)"', rc).group(1)
    return quoted.replace("\\\\", "\\")


def open_about(vellum):
    """Clicks the ".." label and returns the About window once it is shown."""
    vellum.driver.click(vellum.hwnd, LABEL3)
    found = vellum.driver.wait(cls=ABOUT_CLASS, pid=vellum.pid, visible=True, timeout=10)
    assert found, f"no About window; the program's windows: {vellum.windows()}"
    assert len(found) == 1
    return found[0]


def close_with_esc(vellum, about):
    # The Esc key goes to the foreground window's focus: the box comes to the front when it
    # opens.
    def in_front():
        info = vellum.driver.guiinfo(about["hwnd"])
        return info["active"] == about["hwnd"] and info["foreground"] == about["hwnd"]

    assert wait_until(in_front), vellum.driver.guiinfo(about["hwnd"])
    vellum.driver.key("esc")
    assert vellum.driver.wait(cls=ABOUT_CLASS, pid=vellum.pid, gone=True, timeout=10) is not None


@pytest.fixture
def shown(vellum):
    vellum.start()
    vellum.wait_main_window(visible=True)
    return vellum


def test_label_opens_the_filled_about_box_modal_over_the_main_window(shown):
    vellum = shown
    about = open_about(vellum)
    assert about["caption"] == ABOUT_CAPTION
    assert about["owner"] == vellum.hwnd
    assert not vellum.window()["enabled"], "the main window takes no input while the box is open"

    controls = vellum.driver.controls(about["hwnd"])
    assert controls[LABEL1]["text"] == "栖木抓屏精灵"
    assert controls[LABEL2]["text"] == "Ver: 1.2.44"
    description = file_description(vellum.env.source_dir)
    assert "\\n" in description
    text2 = controls[TEXT2]
    assert text2["text"] == description.replace("\\n", "\r\n")
    assert "\\n" not in text2["text"] and text2["text"].count("\r\n") == description.count("\\n")
    assert text2["style"] & ES_MULTILINE and text2["style"] & ES_READONLY
    assert controls[LABEL9]["text"] == "https://vellum.example/"
    assert controls[TEXT1]["text"] == "vellum@example.com"
    assert controls[COMMAND1]["text"] == "Inf"
    assert vellum.driver.tooltips(about["hwnd"])[LABEL9] == "访问我的主页"
    # The address is selected whole, ready to be copied.
    selection = vellum.driver.send(about["hwnd"], EM_GETSEL, control_id=TEXT1)["result"]
    assert (selection & 0xFFFF, selection >> 16) == (0, len("vellum@example.com"))
    # The icon is the main window's.
    icon = vellum.driver.send(about["hwnd"], 0x0171, control_id=IMG)["result"]  # STM_GETICON
    assert icon != 0

    close_with_esc(vellum, about)
    assert wait_until(lambda: vellum.window()["enabled"])


def test_esc_closes_it_and_the_next_opening_is_a_fresh_box(shown):
    vellum = shown
    first = open_about(vellum)
    vellum.driver.set_text(first["hwnd"], TEXT2, "改过的")
    vellum.driver.focus(first["hwnd"], TEXT2)
    close_with_esc(vellum, first)

    second = open_about(vellum)
    assert second["hwnd"] != first["hwnd"]
    assert second["caption"] == ABOUT_CAPTION
    text2 = vellum.driver.info(second["hwnd"], TEXT2)["text"]
    assert text2 == file_description(vellum.env.source_dir).replace("\\n", "\r\n")
    close_with_esc(vellum, second)
    # The program goes on as before.
    assert vellum.window()["enabled"] and vellum.window()["visible"]
    assert vellum.close() == 0


def test_inf_opens_the_system_about_dialog_over_the_box(shown):
    vellum = shown
    about = open_about(vellum)
    before = {w["hwnd"] for w in vellum.windows(visible=True)}
    vellum.driver.click(about["hwnd"], COMMAND1)
    dialog = wait_until(lambda: [w for w in vellum.windows(visible=True)
                                 if w["hwnd"] not in before and w["owner"] == about["hwnd"]],
                        timeout=10)
    assert dialog, f"no dialog owned by the About box; windows: {vellum.windows(visible=True)}"
    assert "Vellum_Capture" in dialog[0]["caption"]
    vellum.driver.post(dialog[0]["hwnd"], WM_CLOSE)
    assert wait_until(lambda: not vellum.driver.find(pid=vellum.pid, visible=True) or
                      all(w["hwnd"] != dialog[0]["hwnd"] for w in vellum.windows(visible=True)))
    close_with_esc(vellum, about)


def test_hotkeys_work_while_the_box_is_open(vellum, test_dir):
    out = test_dir / "out"
    out.mkdir()
    vellum.start(env={"tmp": vellum.env.win_path(out)})
    vellum.wait_main_window(visible=True)
    about = open_about(vellum)
    vellum.driver.key("snapshot")
    saved = out / "PXGR_Cap_1.png"
    assert wait_until(saved.is_file, 10), f"no {saved.name}: {sorted(p.name for p in out.iterdir())}"
    assert vellum.driver.find(cls=ABOUT_CLASS, pid=vellum.pid, visible=True)
    close_with_esc(vellum, about)
