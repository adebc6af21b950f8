"""Control states kept in Settings.ini beside the executable: what a first run writes, what a
restart restores, and what a hand-edited file with garbage does."""

from vellum_e2e import FORMATS, wait_until

CONTROL_IDS = {
    "P": 1000, "cmbImgType": 1003, "tbxQZ": 1005, "Check2": 1007, "ChOp": 1008, "Check1": 1011,
    "Text1": 1012, "L": 1013, "Op(0)": 1014, "Op(1)": 1015, "Op(2)": 1016, "Op(3)": 1017,
    "Check3": 1024, "Check4": 1025,
}
BM_SETCHECK = 0x00F1
SECTION = "[PXGR_Vellum_Capture]"


def ini_lines(vellum):
    data = vellum.settings_ini.read_bytes()
    assert data[:2] == b"\xff\xfe", "a new Settings.ini is UTF-16LE with a byte-order mark"
    return data[2:].decode("utf-16-le").split("\r\n")


def write_ini(vellum, text):
    """Writes Settings.ini as the program writes it: UTF-16 with a byte-order mark."""
    vellum.settings_ini.write_bytes(text.replace("\n", "\r\n").encode("utf-16"))


def state(vellum, name):
    return vellum.control(CONTROL_IDS[name])


def test_first_run_closed_at_once_writes_every_persisted_control(vellum, test_dir):
    out = test_dir / "输出 folder"
    out.mkdir()
    folder = vellum.env.win_path(out) + "\\"
    vellum.start(env={"tmp": vellum.env.win_path(out)})
    vellum.close()
    assert ini_lines(vellum) == [
        SECTION,
        f"Form1_P={folder}",
        "Form1_cmbImgTypeList=bmp\tjpg\tgif\tpng\ttiff",
        "Form1_cmbImgType=png",
        "Form1_cmbImgTypeIndex=3",
        "Form1_tbxQZ=PXGR_Cap_",
        "Form1_Check2=0",
        "Form1_ChOp=1",
        "Form1_Check1=0",
        "Form1_Text1=200",
        "Form1_Op-0=True",
        "Form1_Op-1=False",
        "Form1_Op-2=False",
        "Form1_Op-3=False",
        "Form1_Check3=0",
        "Form1_Check4=0",
        "",
    ]


def test_a_restart_restores_every_control_as_it_was_left(vellum, test_dir, driver):
    out = test_dir / "截图 out"
    out.mkdir()
    folder = vellum.env.win_path(out) + "\\"
    vellum.start()
    vellum.wait_main_window(visible=True)
    hwnd = vellum.hwnd
    driver.set_text(hwnd, CONTROL_IDS["P"], folder)
    driver.set_text(hwnd, CONTROL_IDS["tbxQZ"], " 前缀 \"x\"")
    driver.combo_select(hwnd, CONTROL_IDS["cmbImgType"], 1)
    driver.click(hwnd, CONTROL_IDS["Check1"])
    assert wait_until(lambda: state(vellum, "Text1")["shown"])
    driver.set_text(hwnd, CONTROL_IDS["Text1"], "350")
    driver.click(hwnd, CONTROL_IDS["Op(1)"])
    # The boxes whose handlers open dialogs get their state without a click.
    for name, value in (("Check2", 1), ("ChOp", 0), ("Check4", 1)):
        driver.send(hwnd, BM_SETCHECK, value, control_id=CONTROL_IDS[name])
    vellum.close()

    vellum.start()
    vellum.wait_main_window(visible=True)
    assert state(vellum, "P")["text"] == folder
    assert state(vellum, "tbxQZ")["text"] == " 前缀 \"x\""
    combo = state(vellum, "cmbImgType")
    assert combo["items"] == FORMATS and combo["cursel"] == 1 and combo["text"] == "jpg"
    assert state(vellum, "Text1")["text"] == "350"
    checks = {name: state(vellum, name)["check"]
              for name in ("Check1", "Check2", "ChOp", "Check4", "Check3", "Op(0)", "Op(1)")}
    assert checks == {"Check1": 1, "Check2": 1, "ChOp": 0, "Check4": 1, "Check3": 0,
                      "Op(0)": 0, "Op(1)": 1}
    # The restore ran the check box's own handling: its field is shown, its caption changed.
    check1 = state(vellum, "Check1")
    assert check1["text"] == "自动抓取,每隔"
    assert state(vellum, "Text1")["shown"] and state(vellum, "L")["shown"]


def test_garbage_in_settings_ini_keeps_the_affected_controls_as_they_were(vellum):
    # Written in the ANSI way of a hand edit, with control characters and a very long line.
    garbage = (
        "[PXGR_Vellum_Capture]\r\n"
        "Form1_Check1=abc\r\n"
        "Form1_Check2=" + "7" * 10000 + "\r\n"
        "Form1_ChOp=\x01\x02\x7f\r\n"
        "Form1_Op-0=maybe\r\n"
        "Form1_Op-1=\r\n"
        "Form1_cmbImgTypeList=bmp\tjpg\tgif\tpng\ttiff\r\n"
        "Form1_cmbImgType=gif\r\n"
        "Form1_cmbImgTypeIndex=99\r\n"
        "Form1_Text1=" + "x" * 10000 + "\r\n"
    ).encode("latin-1") + b"Form1_Check4=\xff\xfe\x00\x80\r\n"
    vellum.settings_ini.write_bytes(garbage)
    vellum.start()
    vellum.wait_main_window(visible=True)
    checks = {name: state(vellum, name)["check"]
              for name in ("Check1", "Check2", "ChOp", "Check4", "Op(0)", "Op(1)")}
    assert checks == {"Check1": 0, "Check2": 0, "ChOp": 1, "Check4": 0, "Op(0)": 1, "Op(1)": 0}
    assert not state(vellum, "Text1")["shown"]
    combo = state(vellum, "cmbImgType")
    assert combo["items"] == FORMATS and combo["text"] == "gif", (
        "an index beyond the list leaves the choice of the stored text")
    # A text box takes any text; a long line comes back whole.
    assert state(vellum, "Text1")["text"] == "x" * 10000
    assert vellum.message_boxes(timeout=0) == []


def test_a_file_without_the_section_leaves_the_first_start_state(vellum, test_dir):
    write_ini(vellum, "[PXGR_Other]\nForm1_Check1=1\nForm1_cmbImgTypeIndex=0\n")
    vellum.start(env={"tmp": vellum.env.win_path(test_dir)})
    vellum.wait_main_window(visible=True)
    assert state(vellum, "Check1")["check"] == 0
    combo = state(vellum, "cmbImgType")
    assert combo["items"] == FORMATS and combo["text"] == "png"
    assert state(vellum, "P")["text"] == vellum.env.win_path(test_dir) + "\\"
