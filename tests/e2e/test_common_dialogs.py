"""The common dialogs (file, folder, colour) shown for real under Wine and operated through the
driver as a user would. tools/dialog_probe calls the program's dialog functions from its command
line, several in a row in one process so that what they remember carries over, and prints each
result as a JSON line."""

import subprocess
from pathlib import PureWindowsPath

import pytest

from vellum_e2e import _LineReader, _arg, screenshot, wait_until

TOOL_TITLE = "用来打开抓到的图片的工具:(例如用尚书七号打开识别文字)"
FOLDER_TITLE = "抓取的图片保存到..."
TOO_MANY_FILES = "文件选取过多。"
OK, CANCEL = 1, 2
SS_ICON, SS_TYPEMASK = 0x3, 0x1F
ADD_TO_CUSTOM_COLOURS = 712  # the colour dialog's button


class DialogProbe:
    """One run of dialog_probe.exe with the given command-line words (presets, then calls); its
    result lines are read as they come."""

    def __init__(self, env, driver, *args):
        self.driver = driver
        exe = env.build_dir / "tools" / "dialog_probe" / "dialog_probe.exe"
        if not exe.is_file():
            pytest.fail(f"{exe} is not built", pytrace=False)
        self.proc = subprocess.Popen([env.wine, str(exe), *args], env=env.environ(),
                                     stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self.reader = _LineReader(self.proc.stdout)
        first = self.reader.next(timeout=30)
        if not first or "pid" not in first:
            self.kill()
            pytest.fail(f"dialog_probe did not start: {first}")
        self.pid = first["pid"]
        self.window = first["window"]

    def dialog(self, kind, timeout=10.0):
        found = self.driver.dialog(pid=self.pid, timeout=timeout)
        assert found is not None, f"no dialog of the probe within {timeout} s"
        assert found["kind"] == kind, found
        return found

    def result(self, timeout=20.0):
        line = self.reader.next(timeout=timeout)
        assert line is not None, f"the probe gave no result within {timeout} s"
        return line

    def wait_exit(self, timeout=10.0):
        return self.proc.wait(timeout=timeout)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if getattr(self, "pid", None) and self.driver.find(pid=self.pid):
            self.driver.kill(self.pid)


def opt(name, value=None):
    return f"--{name}" if value is None else f"--{name}=" + _arg(value)


@pytest.fixture
def probe(wine_env, driver, request, test_dir):
    """Starts dialog_probe runs; each is ended after the test, with a screenshot on failure."""
    started = []

    def start(*args):
        run = DialogProbe(wine_env, driver, *args)
        started.append(run)
        return run

    yield start
    report = getattr(request.node, "rep_call", None)
    if report is not None and report.failed:
        try:
            screenshot(wine_env, test_dir / "failure-screen.png")
        except Exception as e:  # the failure itself matters more than its screenshot
            print(f"\nno screenshot: {e}")
    for run in started:
        run.kill()


@pytest.fixture
def folders(wine_env, test_dir):
    """A tree of folders and files with spaces and Chinese names; returns its Windows path."""
    tools = test_dir / "我的 工具"
    (tools / "子 目录").mkdir(parents=True)
    (tools / "看 图.exe").write_bytes(b"MZ")
    (tools / "x.exe").write_bytes(b"MZ")
    pictures = test_dir / "截图 文件夹"
    pictures.mkdir()
    for name in ("a.txt", "b.txt", "长 名字 的 文件.txt"):
        (pictures / name).write_text("x")
    return wine_env.win_path(test_dir)


def win(root, *parts):
    return str(PureWindowsPath(root, *parts))


# File dialog ----------------------------------------------------------------------------------

def test_file_dialog_opens_on_the_prefilled_file_and_cancel_returns_it(driver, probe, folders):
    root = folders
    tool = win(root, "我的 工具", "看 图.exe")
    run = probe("--window", opt("last-file", tool), "--call=file", "--mode=0",
                opt("filter", "*.exe|*.exe|*.*|*.*"), opt("title", TOOL_TITLE))
    shown = run.dialog("file")
    assert shown["caption"] == TOOL_TITLE
    assert shown["name"] == "看 图.exe"
    assert shown["folder"] == win(root, "我的 工具")
    assert shown["types"] == ["*.exe", "*.*"] and shown["type_index"] == 0
    # The file dialog is owned by the window in the foreground: the probe's.
    assert shown["owner"] == run.window
    driver.dialog_press(CANCEL, pid=run.pid)
    out = run.result()
    assert out["result"] == tool
    assert out["last_file"] == tool
    assert out["last_folder"] == win(root, "我的 工具")
    assert run.wait_exit() == 0


def test_cancelled_file_dialog_with_nothing_prefilled_returns_empty(driver, probe):
    run = probe("--call=file", "--mode=0", opt("filter", "DLG_Defalt_Filter"))
    shown = run.dialog("file")
    assert shown["name"] == ""
    assert shown["types"] == ["所有文件"]
    # No title given: the platform's own.
    assert shown["caption"] not in ("", TOOL_TITLE)
    driver.dialog_press(CANCEL, pid=run.pid)
    out = run.result()
    assert (out["result"], out["last_file"], out["last_folder"]) == ("", "", "")
    assert out["filter_after"] == "所有文件|*.*"


def test_chosen_file_leads_the_folder_dialog_and_a_cancel_there_leads_back(driver, probe,
                                                                          folders):
    root = folders
    tools = win(root, "我的 工具")
    chosen = win(tools, "x.exe")
    run = probe("--window", opt("last-folder", root), "--call=file", "--mode=0",
                "--call=folder", opt("title", FOLDER_TITLE), "--owner",
                "--call=file", "--mode=0")
    shown = run.dialog("file")
    assert shown["folder"] == root
    driver.file_dialog_name(chosen, pid=run.pid, ok=True)
    out = run.result()
    assert out["result"] == chosen
    assert out["last_folder"] == tools  # without its backslash

    # The folder dialog, given no folder, preselects the remembered one.
    folder = run.dialog("folder")
    assert folder["title"] == FOLDER_TITLE
    assert folder["owner"] == run.window
    assert wait_until(lambda: run.dialog("folder")["status"] == tools), run.dialog("folder")
    assert run.dialog("folder")["selected_path"] == tools
    driver.dialog_press(CANCEL, pid=run.pid)
    out = run.result()
    assert out["result"] == "" and out["initial_after"] == ""
    assert out["last_folder"] == ""
    assert out["last_file"] == chosen

    # With the folder forgotten, the next file dialog opens where the last file is.
    shown = run.dialog("file")
    assert shown["folder"] == tools
    assert shown["name"] == "x.exe"
    driver.dialog_press(CANCEL, pid=run.pid)
    assert run.result()["result"] == chosen


def test_save_dialog_adds_the_default_extension(driver, probe, folders):
    root = folders
    pictures = win(root, "截图 文件夹")
    run = probe(opt("last-folder", pictures), "--call=file", "--mode=2", opt("ext", "png"),
                opt("filter", "PNG 图片|*.png"), opt("title", "另存为 测试"))
    shown = run.dialog("file")
    assert shown["caption"] == "另存为 测试"
    assert shown["folder"] == pictures
    driver.file_dialog_name("新 图", pid=run.pid, ok=True)
    out = run.result()
    assert out["result"] == win(pictures, "新 图.png")
    assert out["last_file"] == out["result"]
    assert out["last_folder"] == pictures


def test_unknown_mode_shows_no_dialog(driver, probe):
    run = probe("--call=file", "--mode=3")
    out = run.result(timeout=10)
    assert out["result"] == ""
    assert run.wait_exit() == 0
    assert driver.dialog(pid=run.pid, timeout=0) is None


def error_icon_shown(wine_env, driver, box):
    """Whether the message box shows the error icon: mostly red, where the information and
    warning icons are blue and yellow."""
    icons = [c for c in driver.children(box)
             if c["class"] == "Static" and c["style"] & SS_TYPEMASK == SS_ICON and c["shown"]]
    assert len(icons) == 1, icons
    left, top, right, bottom = icons[0]["rect"]
    pixels = screenshot(wine_env).crop((left, top, right, bottom)).getdata()
    red = sum(1 for r, g, b in pixels if r > 160 and g < 90 and b < 90)
    return red > len(pixels) // 5


# Several files --------------------------------------------------------------------------------

def test_two_files_come_back_as_full_paths(driver, probe, folders):
    root = folders
    pictures = win(root, "截图 文件夹")
    run = probe(opt("last-folder", pictures), "--call=file", "--mode=1",
                opt("filter", "DLG_Defalt_Filter"))
    shown = run.dialog("file")
    assert shown["folder"] == pictures
    driver.file_dialog_name('"a.txt" "长 名字 的 文件.txt"', pid=run.pid, ok=True)
    out = run.result()
    assert out["paths"] == [win(pictures, "a.txt"), win(pictures, "长 名字 的 文件.txt")]
    assert out["result"] == "\0".join(out["paths"])
    assert out["last_folder"] == pictures + "\\"
    assert out["last_file"] == win(pictures, "长 名字 的 文件.txt")
    assert out["filter_after"] == "所有文件|*.*"


def test_one_file_of_a_multiple_selection(driver, probe, folders):
    root = folders
    pictures = win(root, "截图 文件夹")
    run = probe(opt("last-folder", pictures), "--call=file", "--mode=1")
    run.dialog("file")
    driver.file_dialog_name("b.txt", pid=run.pid, ok=True)
    out = run.result()
    assert out["paths"] == [win(pictures, "b.txt")]
    assert out["last_folder"] == pictures + "\\"


def test_cancelled_multiple_selection_forgets_file_and_folder(driver, probe, folders):
    root = folders
    tool = win(root, "我的 工具", "x.exe")
    run = probe(opt("last-file", tool), opt("last-folder", root), "--call=file", "--mode=1")
    run.dialog("file")
    driver.dialog_press(CANCEL, pid=run.pid)
    out = run.result()
    assert (out["result"], out["last_file"], out["last_folder"]) == ("", "", "")


def test_selection_too_long_for_the_buffer_is_refused_with_a_message(wine_env, driver, probe,
                                                                     folders):
    root = folders
    pictures = win(root, "截图 文件夹")
    # Room for the folder and one name, not for both names.
    room = len(pictures) + 1 + len("a.txt") + 1 + 3
    run = probe(opt("last-folder", pictures), "--call=file", "--mode=1", f"--buffer={room}")
    run.dialog("file")
    driver.file_dialog_name('"a.txt" "b.txt"', pid=run.pid, ok=True)
    boxes = driver.message_boxes(pid=run.pid, timeout=10)
    assert [(b["caption"], b["text"]) for b in boxes] == [("Vellum", TOO_MANY_FILES)]
    assert [b["text"] for b in boxes[0]["buttons"]] == ["OK"]
    assert error_icon_shown(wine_env, driver, boxes[0]["hwnd"])
    driver.press_message_box_button("OK", pid=run.pid)
    out = run.result()
    assert (out["result"], out["last_file"], out["last_folder"]) == ("", "", "")


# Folder dialog --------------------------------------------------------------------------------

def test_folder_dialog_preselects_shows_the_path_and_returns_the_choice(driver, probe, folders):
    root = folders
    tools = win(root, "我的 工具")
    sub = win(tools, "子 目录")
    run = probe("--window", "--call=folder", opt("initial", tools + "\\"),
                opt("title", FOLDER_TITLE), "--owner")
    assert wait_until(lambda: run.dialog("folder")["status"] == tools), run.dialog("folder")
    shown = run.dialog("folder")
    assert shown["selected_path"] == tools
    assert shown["title"] == FOLDER_TITLE
    assert shown["owner"] == run.window
    # Every new selection shows its full path as the status text.
    driver.folder_dialog_select(sub, pid=run.pid)
    assert wait_until(lambda: run.dialog("folder")["status"] == sub), run.dialog("folder")
    driver.dialog_press(OK, pid=run.pid)
    out = run.result()
    assert out["result"] == sub
    assert out["initial_after"] == sub
    assert out["last_folder"] == sub


def test_drive_root_comes_back_without_its_backslash(driver, probe, folders):
    root = folders
    run = probe("--call=folder", opt("initial", root))
    run.dialog("folder")
    driver.folder_dialog_select("C:\\", pid=run.pid, ok=True)
    out = run.result()
    assert out["result"] == "C:"
    assert out["initial_after"] == "C:" and out["last_folder"] == "C:"


def test_folder_dialog_without_folders_starts_in_the_current_directory(driver, probe,
                                                                        folders):
    root = folders
    pictures = win(root, "截图 文件夹")
    run = probe("--window", opt("cwd", pictures), "--call=folder")
    assert wait_until(lambda: run.dialog("folder")["status"] == pictures), run.dialog("folder")
    # No owner given: the probe's active window owns the dialog.
    assert run.dialog("folder")["owner"] == run.window
    driver.dialog_press(CANCEL, pid=run.pid)
    out = run.result()
    assert (out["result"], out["initial_after"], out["last_folder"]) == ("", "", "")


# Colour dialog --------------------------------------------------------------------------------

def test_colour_dialog_starts_black_then_at_the_last_pick_and_cancel_keeps_it(driver, probe):
    run = probe("--window", "--call=color", "--call=color", "--call=color")
    shown = run.dialog("color")
    assert (shown["red"], shown["green"], shown["blue"]) == ("0", "0", "0")
    assert shown["full_open"]
    # No owner given: the probe's active window owns the dialog.
    assert shown["owner"] == run.window
    driver.color_dialog_rgb(18, 52, 86, pid=run.pid, ok=True)
    picked = 0x563412  # 0x00BBGGRR
    assert run.result()["result"] == picked

    shown = run.dialog("color")
    assert (shown["red"], shown["green"], shown["blue"]) == ("18", "52", "86")
    driver.color_dialog_rgb(200, 100, 50, pid=run.pid, cancel=True)
    out = run.result()
    assert out["result"] == picked and out["last_color"] == picked

    run.dialog("color")
    driver.color_dialog_rgb(255, 0, 128, pid=run.pid, ok=True)
    assert run.result()["result"] == 0x8000FF


def test_cancelled_first_colour_dialog_gives_black(driver, probe):
    run = probe("--call=color")
    run.dialog("color")
    driver.color_dialog_rgb(1, 2, 3, pid=run.pid, cancel=True)
    out = run.result()
    assert out["result"] == 0 and out["last_color"] == 0


def custom_colour_pixels(wine_env, shown, colour):
    """How many pixels of the dialog's custom colour boxes have the (r, g, b) colour."""
    return sum(1 for p in screenshot(wine_env).crop(tuple(shown["custom_colors"])).getdata()
               if p == colour)


def test_custom_colours_start_black_in_every_dialog(wine_env, driver, probe):
    run = probe("--call=color", "--call=color")
    shown = run.dialog("color")
    assert custom_colour_pixels(wine_env, shown, (0, 0, 0)) > 0
    driver.color_dialog_rgb(200, 30, 40, pid=run.pid)
    driver.click(shown["hwnd"], ADD_TO_CUSTOM_COLOURS)
    assert wait_until(lambda: custom_colour_pixels(wine_env, shown, (200, 30, 40)) > 0)
    driver.dialog_press(OK, pid=run.pid)
    assert run.result()["result"] == 0x281EC8

    # The next dialog starts at the picked colour but forgets the custom one.
    shown = run.dialog("color")
    assert (shown["red"], shown["green"], shown["blue"]) == ("200", "30", "40")
    assert wait_until(lambda: custom_colour_pixels(wine_env, shown, (0, 0, 0)) > 0)
    assert custom_colour_pixels(wine_env, shown, (200, 30, 40)) == 0
    driver.dialog_press(CANCEL, pid=run.pid)
    assert run.result()["result"] == 0x281EC8


def prompts_of(driver, run, dialog):
    """The message boxes that the dialog itself shows (owned by it)."""
    return [b for b in driver.message_boxes(pid=run.pid, timeout=5)
            if b["owner"] == dialog["hwnd"]]


def test_open_wants_an_existing_file_and_save_asks_before_replacing(driver, probe, folders):
    root = folders
    pictures = win(root, "截图 文件夹")
    run = probe(opt("last-folder", pictures), "--call=file", "--mode=0", "--call=file",
                "--mode=2")
    shown = run.dialog("file")
    driver.file_dialog_name("missing.exe", pid=run.pid, ok=True)
    prompts = wait_until(lambda: prompts_of(driver, run, shown))
    assert len(prompts) == 1, prompts
    driver.press_message_box_button("OK", pid=run.pid, caption=prompts[0]["caption"])
    assert wait_until(lambda: not prompts_of(driver, run, shown))
    assert run.dialog("file")["hwnd"] == shown["hwnd"], "the open dialog stays"
    driver.dialog_press(CANCEL, pid=run.pid)
    out = run.result()
    assert (out["result"], out["last_folder"]) == ("", "")

    # That cancel forgot the folder (nothing was pre-filled): name the file in full.
    shown = run.dialog("file")
    driver.file_dialog_name(win(pictures, "a.txt"), pid=run.pid, ok=True)
    prompts = wait_until(lambda: prompts_of(driver, run, shown))
    assert len(prompts) == 1, prompts
    assert sorted(b["id"] for b in prompts[0]["buttons"]) == [6, 7], "Yes and No"
    driver.press_message_box_button("6", pid=run.pid, caption=prompts[0]["caption"])
    out = run.result()
    assert out["result"] == win(pictures, "a.txt")
