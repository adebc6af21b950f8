"""The main window seen from outside: start-up, controls, minimising, settings store, folder
field, the GDI+ probe and the PrintScreen save road."""

import math

import pytest
from PIL import Image

from vellum_e2e import (
    BS_AUTOCHECKBOX,
    BS_AUTORADIOBUTTON,
    BS_CHECKBOX,
    BS_DEFPUSHBUTTON,
    BS_GROUPBOX,
    BS_PUSHBUTTON,
    BS_RADIOBUTTON,
    CBS_DROPDOWNLIST,
    FORM1_KEY,
    MAIN_CAPTION,
    MAIN_CLASS,
    SC_MINIMIZE,
    SC_RESTORE,
    WM_APP,
    WM_CLOSE,
    WM_SYSCOMMAND,
    WS_EX_ACCEPTFILES,
    WS_MAXIMIZEBOX,
    WS_MINIMIZEBOX,
    WS_THICKFRAME,
    RegValue,
    screenshot,
    wait_for_file,
    wait_until,
)

TWIPS_PER_PIXEL = 15  # 96 DPI
SCREEN_W, SCREEN_H = 1920, 1080
WM_APP_SAVE_SCREEN = WM_APP + 1
STM_GETICON = 0x0171
NO_GDIPLUS_STATUS = "仅bmp可保存.请下载GDIPlus.dll到system32下."

# The control table: (ID, name, kind, caption, (left, top, width, height) in twips, group box
# it lies in or None). The ID is 1000 + the tab index, so ascending IDs are the tab order.
FRAME2 = (45, 600)
FRAME1 = (45, 1725)
CONTROLS = [
    (1000, "P", "text", None, (690, 30, 2895, 270), None),  # filled from tmp at load
    (1001, "Command3", "push", "...", (3570, 30, 225, 255), None),
    (1002, "Label4", "label", "格式:", (60, 330, 1095, 195), None),
    (1003, "cmbImgType", "list", None, (690, 280, 1125, 300), None),
    (1004, "Label5", "label", "名称前缀:", (1860, 330, 885, 195), None),
    (1005, "tbxQZ", "text", "PXGR_Cap_", (2700, 300, 1035, 270), None),
    (1006, "Frame2", "group", "手动划屏抓取", (45, 600, 3765, 1095), None),
    # Narrower than its design (2175) so that it ends where Check4 begins and stays beside it.
    (1007, "Check2", "check", "复制到剪贴板", (90, 240, 1530, 225), FRAME2),
    (1008, "ChOp", "check", "自动打开得到的图片", (90, 510, 2175, 225), FRAME2),
    (1009, "TS", "label", "Ctrl+Alt+A:手动取屏并保存", (75, 825, 2325, 195), FRAME2),
    (1010, "Frame1", "group", "自动抓取", (45, 1725, 3765, 1305), None),
    (1011, "Check1", "check", "连续抓取", (90, 240, 1485, 225), FRAME1),
    (1012, "Text1", "text", "200", (1620, 210, 510, 255), FRAME1),
    (1013, "L", "label", "ms", (2160, 210, 195, 255), FRAME1),
    (1014, "Op(0)", "option", "整个屏幕", (90, 540, 1095, 195), FRAME1),
    (1015, "Op(1)", "option", "活动窗口", (1260, 540, 1035, 195), FRAME1),
    (1016, "Op(2)", "option", "窗口内部", (90, 780, 1185, 195), FRAME1),
    (1017, "Op(3)", "option", "DirectX图", (1260, 780, 1185, 195), FRAME1),
    (1018, "Label2", "label", "Ctrl+F12:隐藏/显示", (90, 1050, 1905, 195), FRAME1),
    (1019, "Lab", "label", "全局热键支持", (45, 3060, 3375, 195), None),
    (1020, "Label1", "label", "保存到:", (60, 60, 645, 225), None),
    (1021, "Cap", "push", "手动抓屏Ctrl+Alt+A", (2685, 930, 1080, 615), None),
    (1022, "Command2", "push", "自动抓取(2s后)", (2700, 2160, 1050, 525), None),
    (1023, "Label3", "label", "..", (3660, 3015, 195, 255), None),
    (1024, "Check3", "check", "自动启动", (3420, 3045, 240, 210), None),
    (1025, "Check4", "check", "加边框", (1620, 240, 885, 225), FRAME2),
]
CONTROL_IDS = {name: cid for cid, name, *_ in CONTROLS}

KINDS = {
    "text": ("Edit", None),
    "label": ("Static", None),
    "list": ("ComboBox", None),
    "push": ("Button", {BS_PUSHBUTTON, BS_DEFPUSHBUTTON}),
    "group": ("Button", {BS_GROUPBOX}),
    "check": ("Button", {BS_CHECKBOX, BS_AUTOCHECKBOX}),
    "option": ("Button", {BS_RADIOBUTTON, BS_AUTORADIOBUTTON}),
}

# State at creation: hidden controls, disabled controls, checked boxes and options.
HIDDEN = {"Text1", "L"}
DISABLED = {"Op(2)", "Op(3)"}
CHECKED = {"ChOp", "Op(0)"}


def expected_client_pixels(twips_rect, frame):
    """(left, top, width, height) in pixels in the main window's client area; each value is a
    pair (low, high) of the acceptable whole pixels (equal when the twips divide evenly)."""
    left, top, width, height = twips_rect
    if frame:
        left += frame[0]
        top += frame[1]

    def px(twips):
        value = twips / TWIPS_PER_PIXEL
        return (math.floor(value), math.ceil(value))

    return px(left), px(top), px(width), px(height)


def in_range(value, bounds):
    return bounds[0] <= value <= bounds[1]


# ---------------------------------------------------------------------------------------------
# Start-up and the command line

def test_window_without_arguments_is_shown_fixed_and_centred(vellum):
    window = vellum.start_shown()
    assert window["class"] == MAIN_CLASS
    assert window["caption"] == MAIN_CAPTION
    assert window["visible"] and not window["iconic"]
    left, top, right, bottom = window["client"]
    assert (right - left, bottom - top) == (257, 218)
    style = window["style"]
    assert style & WS_MINIMIZEBOX, "the window can be minimised"
    assert not style & WS_THICKFRAME, "fixed border: not resizable"
    assert not style & WS_MAXIMIZEBOX, "fixed size: no maximise button"
    wl, wt, wr, wb = window["rect"]
    assert abs((wl + wr) / 2 - SCREEN_W / 2) <= 1 and abs((wt + wb) / 2 - SCREEN_H / 2) <= 1, (
        f"not centred on the screen: {window['rect']}")


@pytest.mark.parametrize(
    "args, shown",
    [
        ("/a", False),  # exactly "/a": background start
        ("/A", True),  # case-sensitive
        ("/a x", True),  # further text
        ("/ab", True),
        ("a", True),
    ],
)
def test_command_line_decides_visibility(vellum, args, shown):
    vellum.start(args=args)
    if shown:
        window = vellum.wait_main_window(visible=True, timeout=10)
    else:
        # The window exists at once; give a wrong "show" the time to happen before judging.
        wait_until(lambda: vellum.window()["visible"], timeout=1.0)
        window = vellum.window()
    assert window["caption"] == MAIN_CAPTION
    assert window["visible"] == shown
    assert vellum.running


def test_background_start_still_creates_the_controls(vellum):
    vellum.start(args="/a")
    controls = vellum.controls()
    assert controls[CONTROL_IDS["tbxQZ"]]["text"] == "PXGR_Cap_"
    assert controls[CONTROL_IDS["cmbImgType"]]["items"] == ["bmp", "jpg", "gif", "png", "tiff"]
    assert not vellum.window()["visible"]


@pytest.mark.parametrize(
    "env, unset, expected",
    [
        ({"tmp": r"C:\vellum tmp"}, (), "C:\\vellum tmp\\"),
        ({"tmp": "C:\\already\\"}, (), "C:\\already\\"),
        ({"tmp": "D:"}, (), "D:\\"),
        ({}, ("tmp",), ""),  # an unset variable leaves the folder empty
    ],
)
def test_default_folder_comes_from_tmp(vellum, env, unset, expected):
    vellum.start(env=env, unset=unset)
    assert vellum.control(CONTROL_IDS["P"])["text"] == expected


# ---------------------------------------------------------------------------------------------
# The controls

def test_every_control_has_its_kind_caption_and_place(vellum):
    window = vellum.start_shown()
    controls = vellum.controls()
    client_left, client_top = window["client"][:2]
    assert sorted(controls) == [cid for cid, *_ in CONTROLS]
    problems = []
    for cid, name, kind, caption, twips, frame in CONTROLS:
        c = controls[cid]
        cls, button_types = KINDS[kind]
        if c["class"].lower() != cls.lower():
            problems.append(f"{name}: class {c['class']}, expected {cls}")
        if button_types and c.get("button_type") not in button_types:
            problems.append(f"{name}: button type {c.get('button_type')}, expected {kind}")
        if kind == "list" and c["style"] & 3 != CBS_DROPDOWNLIST:
            problems.append(f"{name}: not a drop-down list (style {c['style']:#x})")
        if caption is not None and c["text"] != caption:
            problems.append(f"{name}: text {c['text']!r}, expected {caption!r}")
        if c["parent"] != window["hwnd"]:
            problems.append(f"{name}: not a child of the main window")
        left, top, right, bottom = c["rect"]
        want_left, want_top, want_width, want_height = expected_client_pixels(twips, frame)
        got = (left - client_left, top - client_top, right - left, bottom - top)
        # A combo box's shown height follows its font, not its design height.
        checks = [want_left, want_top, want_width] + ([] if kind == "list" else [want_height])
        if not all(in_range(v, w) for v, w in zip(got, checks)):
            problems.append(f"{name}: left, top, width, height {got}, expected {checks}")
    assert not problems, "\n".join(problems)


def test_initial_states_of_the_controls(vellum):
    vellum.start_shown()
    controls = vellum.controls()
    problems = []
    for cid, name, kind, *_ in CONTROLS:
        c = controls[cid]
        if c["shown"] == (name in HIDDEN):
            problems.append(f"{name}: shown={c['shown']}")
        if c["enabled"] == (name in DISABLED):
            problems.append(f"{name}: enabled={c['enabled']}")
        if kind in ("check", "option") and (c["check"] == 1) != (name in CHECKED):
            problems.append(f"{name}: check={c['check']}")
    assert not problems, "\n".join(problems)
    assert controls[CONTROL_IDS["ChOp"]]["exstyle"] & WS_EX_ACCEPTFILES, "ChOp accepts files"


def test_tab_order_follows_the_control_table(vellum):
    vellum.start_shown()
    children = vellum.driver.children(vellum.hwnd)
    direct = [c for c in children if c["parent"] == vellum.hwnd]
    in_z_order = [c["id"] for c in sorted(direct, key=lambda c: c["z"])]
    assert in_z_order == [cid for cid, *_ in CONTROLS]


def test_format_list_offers_five_formats_with_png_selected(vellum):
    vellum.start_shown()
    combo = vellum.control(CONTROL_IDS["cmbImgType"])
    assert combo["items"] == ["bmp", "jpg", "gif", "png", "tiff"]
    assert combo["cursel"] == 3
    assert combo["text"] == "png"
    assert combo["enabled"]
    assert vellum.control(CONTROL_IDS["Lab"])["text"] == "全局热键支持"


def test_tooltips(vellum):
    vellum.start_shown()
    tips = vellum.tooltips()
    assert tips.get(CONTROL_IDS["Label1"]) == "双击察看文件夹"
    assert tips.get(CONTROL_IDS["Label3"]) == "栖木软件的抓屏器"
    assert tips.get(CONTROL_IDS["Check3"]) == "设置为开机自动后台启动"
    assert tips.get(CONTROL_IDS["ChOp"]) == "mspaint.exe"


def colour_count(image, rect, colour):
    left, top, right, bottom = rect
    region = image.crop((left, top, right, bottom))
    return sum(1 for pixel in region.getdata() if pixel == colour)


@pytest.mark.parametrize(
    "name, colour",
    [
        ("TS", (0, 0, 255)),  # text colour 0x00FF0000 (BGR)
        ("Label2", (0, 0, 255)),
        ("Lab", (255, 0, 255)),  # 0x00FF00FF
    ],
)
def test_label_text_colours_on_the_screen(vellum, name, colour):
    vellum.start_shown()
    image = screenshot(vellum.env)
    assert colour_count(image, vellum.control(CONTROL_IDS[name])["rect"], colour) >= 3, (
        f"no pixel of the text colour {colour} in {name}")
    # A plain label is not painted in that colour.
    assert colour_count(image, vellum.control(CONTROL_IDS["Label4"])["rect"], colour) == 0


def test_about_link_label_is_dark_blue_on_pink(vellum):
    vellum.start_shown()
    image = screenshot(vellum.env)
    rect = vellum.control(CONTROL_IDS["Label3"])["rect"]
    back = (255, 128, 128)  # back colour 0x008080FF
    left, top, right, bottom = rect
    pixels = list(image.crop(rect).getdata())
    assert pixels.count(back) >= (right - left) * (bottom - top) // 2, "pink background"
    # The ".." in a 6 pt font is only a few blended pixels: each of them lies between the pink
    # and the text colour 0x00C00000 (RGB 0, 0, 192): less red, more blue than the pink.
    ink = [p for p in pixels if p != back]
    assert ink, "the caption is drawn"
    assert all(p[0] < back[0] and p[2] > back[2] for p in ink), ink


# ---------------------------------------------------------------------------------------------
# Minimising

def minimise(vellum):
    vellum.driver.post(vellum.hwnd, WM_SYSCOMMAND, SC_MINIMIZE)


def restore(vellum):
    vellum.driver.post(vellum.hwnd, WM_SYSCOMMAND, SC_RESTORE)
    assert wait_until(lambda: vellum.window()["visible"] and not vellum.window()["iconic"])


def test_first_minimise_shows_the_hint_once_and_every_minimise_hides(vellum):
    vellum.start_shown()
    minimise(vellum)
    boxes = vellum.message_boxes(timeout=5)
    assert len(boxes) == 1
    box = boxes[0]
    assert box["caption"] == "Vellum"
    assert box["text"] == "Ctrl+F12重新显示."
    assert [b["id"] for b in box["buttons"]] == [1], "a single OK button"
    icons = [c for c in vellum.driver.children(box["hwnd"])
             if c["class"] == "Static" and c["text"] == "" and c["shown"]]
    for icon in icons:
        assert vellum.driver.send(icon["hwnd"], STM_GETICON)["result"] == 0, "no icon"
    vellum.driver.press_message_box_button("1", pid=vellum.pid)
    assert wait_until(lambda: not vellum.window()["visible"]), "hidden after the hint"
    assert vellum.message_boxes(timeout=0) == []

    for _ in range(2):
        restore(vellum)
        minimise(vellum)
        assert wait_until(lambda: not vellum.window()["visible"]), "hidden after a minimise"
        assert vellum.message_boxes(timeout=1.0) == [], "the hint is shown only once"
    assert vellum.running


# ---------------------------------------------------------------------------------------------
# Settings store

def test_settings_store_values_are_written_at_close(vellum, registry):
    vellum.start_shown()
    assert registry.values(FORM1_KEY) == {}, "nothing is written before the close"
    assert vellum.close() == 0
    assert registry.values(FORM1_KEY) == {
        "ChOp_Tip": RegValue("REG_SZ", "mspaint.exe"),
        "Check4_Tag": RegValue("REG_SZ", "-1"),
    }
    assert vellum.windows() == []


@pytest.mark.parametrize(
    "stored, tooltip",
    [
        ({"ChOp_Tip": ""}, ""),  # an empty value is a value
        ({"ChOp_Tip": r"C:\Program Files\看图\viewer.exe"}, r"C:\Program Files\看图\viewer.exe"),
        ({"Check4_Tag": "255"}, "mspaint.exe"),  # an absent tool path gives the default
    ],
)
def test_settings_store_values_are_read_at_start_and_kept(vellum, registry, stored, tooltip):
    registry.set_strings(FORM1_KEY, stored)
    vellum.start_shown()
    assert vellum.tooltips().get(CONTROL_IDS["ChOp"]) == tooltip
    vellum.close()
    expected = {"ChOp_Tip": "mspaint.exe", "Check4_Tag": "-1", **stored}
    assert registry.values(FORM1_KEY) == {k: RegValue("REG_SZ", v) for k, v in expected.items()}


# ---------------------------------------------------------------------------------------------
# The folder field

@pytest.mark.parametrize(
    "typed, after",
    [
        ("", "\\"),
        ("C:\\x", "C:\\x\\"),
        ("C:\\y\\", "C:\\y\\"),
        ("C:\\出图", "C:\\出图\\"),
    ],
)
def test_folder_field_gets_a_trailing_backslash_when_it_loses_focus(vellum, typed, after):
    vellum.start_shown()
    p, other = CONTROL_IDS["P"], CONTROL_IDS["tbxQZ"]
    vellum.driver.focus(vellum.hwnd, p)
    vellum.driver.set_text(vellum.hwnd, p, typed)
    assert vellum.control(p)["text"] == typed, "nothing changes while it has the focus"
    vellum.driver.focus(vellum.hwnd, other)
    assert wait_until(lambda: vellum.control(p)["text"] == after), vellum.control(p)["text"]


@pytest.mark.parametrize("name", ["Label1", "P"])
def test_double_click_opens_the_folder_in_explorer(vellum, test_dir, name):
    folder = test_dir / "open me"
    folder.mkdir()
    folder_win = vellum.env.win_path(folder) + "\\"
    vellum.start_shown(env={"tmp": folder_win})
    assert vellum.control(CONTROL_IDS["P"])["text"] == folder_win
    vellum.driver.click(vellum.hwnd, CONTROL_IDS[name], double=True)
    # Wine's explorer shows the folder in a window titled with the folder's name.
    windows = vellum.driver.wait(caption="open me", cls="ExplorerWClass", visible=True, timeout=10)
    try:
        assert windows, "no explorer window for the folder"
        assert windows[0]["pid"] != vellum.pid
    finally:
        # Closed, not killed: the window may live in Wine's desktop process.
        for w in vellum.driver.find(caption="open me", cls="ExplorerWClass"):
            vellum.driver.post(w["hwnd"], WM_CLOSE)


# ---------------------------------------------------------------------------------------------
# GDI+ and the PrintScreen save road (WM_APP + 1 runs the whole-screen save)

def output_folder(test_dir):
    folder = test_dir / "out"
    folder.mkdir()
    return folder


def test_without_gdiplus_only_bmp_is_offered_and_a_save_writes_bmp(vellum, test_dir):
    out = output_folder(test_dir)
    vellum.start_shown(env={"tmp": vellum.env.win_path(out)}, dll_overrides="gdiplus=d")
    combo = vellum.control(CONTROL_IDS["cmbImgType"])
    assert combo["text"] == "bmp" and combo["cursel"] == 0
    assert not combo["enabled"] and combo["shown"], "greyed but visible"
    assert vellum.control(CONTROL_IDS["Lab"])["text"] == NO_GDIPLUS_STATUS

    vellum.driver.post(vellum.hwnd, WM_APP_SAVE_SCREEN)
    saved = out / "PXGR_Cap_1.bmp"
    assert wait_for_file(saved), f"no {saved.name} in {sorted(p.name for p in out.iterdir())}"
    with Image.open(saved) as image:
        assert image.format == "BMP"
        assert image.size == (SCREEN_W, SCREEN_H)
    assert vellum.message_boxes(timeout=0) == [], "no error box"


def test_save_with_gdiplus_writes_the_next_numbered_png_of_the_screen(vellum, test_dir, driver):
    out = output_folder(test_dir)
    (out / "PXGR_Cap_1.png").write_bytes(b"taken")
    with driver.paint(40, 30, 256, 160) as pattern:
        vellum.start_shown(env={"tmp": vellum.env.win_path(out)})
        vellum.driver.post(vellum.hwnd, WM_APP_SAVE_SCREEN)
        saved = out / "PXGR_Cap_2.png"
        assert wait_for_file(saved), f"no {saved.name} in {sorted(p.name for p in out.iterdir())}"
        with Image.open(saved) as image:
            assert image.format == "PNG"
            assert image.size == (SCREEN_W, SCREEN_H)
            pixels = image.convert("RGB")
            for x, y in [(40, 30), (295, 30), (40, 189), (295, 189), (170, 100)]:
                assert pixels.getpixel((x, y)) == pattern.expected(x, y), (x, y)
    assert (out / "PXGR_Cap_1.png").read_bytes() == b"taken", "an existing file is not touched"
    assert vellum.control(CONTROL_IDS["Lab"])["text"] == "全局热键支持", (
        "the PrintScreen road leaves the status line alone")
