"""Shared helpers of the end-to-end tests.

The tests run the real Vellum_Capture.exe under Wine on a virtual display and look at it from
outside through vellum_driver.exe, a small Windows console program that finds and reads windows
and plays the user's mouse and keyboard (tools/driver). Everything here talks to that driver,
to Wine's registry tools and to the X screen.

The outer script (scripts/test.sh) provides DISPLAY and WINEPREFIX and keeps a wineserver
alive, so that a Windows program starts in about 0.1 s.
"""

import json
import os
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from dataclasses import dataclass
from pathlib import Path, PureWindowsPath

MAIN_CAPTION = "栖木抓屏精灵"
MAIN_CLASS = "VellumForm1"
PROGRAM_NAME = "Vellum_Capture.exe"
SETTINGS_KEY = r"HKEY_CURRENT_USER\Software\PXGR_Vellum_Capture"
FORM1_KEY = SETTINGS_KEY + r"\Form1"
E2E_FOLDER = "vellum-e2e"  # under the prefix's C: drive
FORMATS = ["bmp", "jpg", "gif", "png", "tiff"]  # the format list, in its order
CMB_IMG_TYPE_ID, CHECK2_ID = 1003, 1007  # the format list and the clipboard box

# Window messages and styles the tests use.
WM_CLOSE = 0x0010
WM_SYSCOMMAND = 0x0112
WM_APP = 0x8000
SC_MINIMIZE = 0xF020
SC_RESTORE = 0xF120
SC_CLOSE = 0xF060
WS_MAXIMIZEBOX = 0x00010000
WS_MINIMIZEBOX = 0x00020000
WS_THICKFRAME = 0x00040000
WS_EX_ACCEPTFILES = 0x00000010
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_CHECKBOX, BS_AUTOCHECKBOX = 0, 1, 2, 3
BS_RADIOBUTTON, BS_GROUPBOX, BS_AUTORADIOBUTTON = 4, 7, 9
CBS_DROPDOWNLIST = 3

BASE_DLL_OVERRIDES = "mscoree,mshtml="


class E2EError(RuntimeError):
    """The test machinery itself failed (not the program under test)."""


def run_captured(argv, env, timeout):
    """Runs a command to its end and returns (exit code, stdout bytes, stderr bytes).

    The output goes through files, not pipes: a Wine program may start a helper process (Wine's
    desktop process) that inherits its standard handles and outlives it, and a pipe would then
    not reach its end of file before that helper ends."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            raise E2EError(f"{' '.join(map(str, argv))} did not end within {timeout} s")
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()


class WineEnv:
    """The build, the Wine prefix and the display the tests run in."""

    def __init__(self, build_dir, prefix, display, source_dir=None):
        self.build_dir = Path(build_dir)
        self.prefix = Path(prefix)
        self.display = display
        self.source_dir = Path(source_dir) if source_dir else None
        self.program = self.build_dir / PROGRAM_NAME
        self.driver_exe = self.build_dir / "tools" / "driver" / "vellum_driver.exe"
        self.drive_c = self.prefix / "drive_c"
        self.wine = shutil.which("wine") or "/usr/bin/wine"

    @classmethod
    def from_environ(cls):
        """Reads VELLUM_BUILD_DIR, WINEPREFIX and DISPLAY; says plainly what is missing."""
        problems = []
        build_dir = os.environ.get("VELLUM_BUILD_DIR")
        prefix = os.environ.get("WINEPREFIX")
        display = os.environ.get("DISPLAY")
        if not build_dir:
            problems.append("VELLUM_BUILD_DIR is not set (run the suite through ctest)")
        if not prefix:
            problems.append("WINEPREFIX is not set (run scripts/test.sh, which creates it)")
        elif not (Path(prefix) / "system.reg").is_file():
            problems.append(f"WINEPREFIX={prefix} is not an initialised Wine prefix")
        if not display:
            problems.append("DISPLAY is not set (run scripts/test.sh, which starts Xvfb)")
        env = None
        if build_dir and prefix:
            env = cls(build_dir, prefix, display, os.environ.get("VELLUM_SOURCE_DIR"))
            for path in (env.program, env.driver_exe):
                if not path.is_file():
                    problems.append(f"{path} is missing (build the Windows tree first)")
        if problems:
            raise E2EError("the end-to-end tests cannot run: " + "; ".join(problems))
        return env

    def environ(self, dll_overrides=None):
        """The Unix environment for a Wine process; dll_overrides is added to the defaults
        (e.g. "gdiplus=d" to run without GDI+)."""
        env = dict(os.environ)
        env.update(
            WINEPREFIX=str(self.prefix),
            WINEARCH="win64",
            WINEDEBUG="-all",
            DISPLAY=self.display,
            WINEDLLOVERRIDES=BASE_DLL_OVERRIDES + (";" + dll_overrides if dll_overrides else ""),
        )
        return env

    def run_wine(self, *args, timeout=60, check=True):
        """Runs a Wine program to its end; returns its exit code."""
        code, _, err = run_captured([self.wine, *map(str, args)], self.environ(), timeout)
        if check and code != 0:
            raise E2EError(f"wine {' '.join(map(str, args))} exited {code}: "
                           f"{err.decode(errors='replace')}")
        return code

    def win_path(self, path):
        """The Windows name of a Unix path: C:\\... under the prefix's drive, else Z:\\..."""
        path = Path(path).absolute()
        try:
            rel = path.relative_to(self.drive_c)
        except ValueError:
            return "Z:" + str(path).replace("/", "\\")
        return str(PureWindowsPath("C:\\", *rel.parts))

    def unix_path(self, win_path):
        """The Unix path of a C:\\ path of the prefix."""
        win = PureWindowsPath(win_path)
        if win.drive.upper() != "C:":
            raise ValueError(f"not on the C: drive: {win_path}")
        return self.drive_c.joinpath(*win.parts[1:])


# ---------------------------------------------------------------------------------------------
# Registry (the program's settings store lives under HKEY_CURRENT_USER)

@dataclass
class RegValue:
    type: str  # REG_SZ, REG_DWORD, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, hex(N)
    value: object


def _parse_reg_string(text, pos):
    """Parses a quoted .reg string starting at text[pos] == '"'; returns (value, next pos)."""
    assert text[pos] == '"'
    out = []
    i = pos + 1
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            out.append({"n": "\n", "r": "\r", "0": "\0"}.get(nxt, nxt))
            i += 2
        elif c == '"':
            return "".join(out), i + 1
        else:
            out.append(c)
            i += 1
    raise ValueError(f"unterminated string in {text!r}")


def _decode_reg_data(data):
    if data.startswith('"'):
        value, _ = _parse_reg_string(data, 0)
        return RegValue("REG_SZ", value)
    if data.startswith("dword:"):
        return RegValue("REG_DWORD", int(data[6:], 16))
    kind, _, hexes = data.partition(":")
    raw = bytes(int(h, 16) for h in hexes.replace("\\", "").replace(" ", "").split(",") if h)
    if kind == "hex":
        return RegValue("REG_BINARY", raw)
    if kind == "hex(2)":
        return RegValue("REG_EXPAND_SZ", raw.decode("utf-16-le").rstrip("\0"))
    if kind == "hex(7)":
        return RegValue("REG_MULTI_SZ", [s for s in raw.decode("utf-16-le").split("\0") if s])
    if kind == "hex(b)":
        return RegValue("REG_QWORD", int.from_bytes(raw, "little"))
    return RegValue(kind, raw)


def parse_reg_export(text):
    """Parses the text of a .reg file into {key: {value name: RegValue}} ("" is the default)."""
    keys = {}
    current = None
    lines = text.replace("\r\n", "\n").split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
            continue
        if current is None or not (line.startswith('"') or line.startswith("@=")):
            continue
        if line.startswith("@="):
            name, data = "", line[2:]
        else:
            name, end = _parse_reg_string(line, 0)
            data = line[end + 1:]  # after the "="
        # Hex data goes on over the next lines after a trailing backslash.
        while not data.startswith('"') and data.endswith("\\") and i < len(lines):
            data = data[:-1] + lines[i].strip()
            i += 1
        current[name] = _decode_reg_data(data)
    return keys


class Registry:
    """The prefix's registry through Wine's reg and regedit."""

    def __init__(self, env):
        self.env = env

    def export(self, key):
        """{subkey: {name: RegValue}} of the key and its subkeys; {} when the key is absent."""
        with tempfile.TemporaryDirectory(prefix="vellum-reg-") as tmp:
            out = Path(tmp) / "export.reg"
            code = self.env.run_wine("reg", "export", key, self.env.win_path(out), "/y",
                                     check=False)
            if code != 0 or not out.exists():
                return {}
            return parse_reg_export(out.read_bytes().decode("utf-16"))

    def values(self, key):
        """{name: RegValue} of one key; {} when it is absent."""
        return self.export(key).get(key, {})

    def delete(self, key):
        self.env.run_wine("reg", "delete", key, "/f", check=False)

    def set_strings(self, key, values):
        """Writes REG_SZ values ({name: text}); any text, Chinese and empty included."""
        def quote(s):
            return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'

        lines = ["Windows Registry Editor Version 5.00", "", f"[{key}]"]
        lines += [f"{quote(name)}={quote(text)}" for name, text in values.items()]
        text = "\r\n".join(lines) + "\r\n\r\n"
        reg_file = self.env.drive_c / f"vellum-e2e-{os.getpid()}.reg"
        reg_file.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
        try:
            self.env.run_wine("regedit", "/S", self.env.win_path(reg_file))
        finally:
            reg_file.unlink(missing_ok=True)


# ---------------------------------------------------------------------------------------------
# The driver

_PLAIN_ARG = re.compile(r"[A-Za-z0-9_.,:=+\\/-]*")


def _arg(text):
    """A text argument for the driver: plain when it is simple ASCII, else "hex:" and the hex
    of its UTF-8 bytes, so that it reaches the driver intact whatever the locale and whatever
    Wine's quoting of blanks, quotes and backslashes does to it."""
    text = str(text)
    if _PLAIN_ARG.fullmatch(text) and not text.startswith("hex:"):
        return text
    return "hex:" + text.encode("utf-8").hex()


def _target(hwnd, control_id=None):
    return f"{hwnd}" if control_id is None else f"{hwnd}/{control_id}"


class DriverError(E2EError):
    def __init__(self, message, code=None, lines=None):
        super().__init__(message)
        self.code = code
        self.lines = lines or []


DRIVER_EXIT_CODES = (0, 1, 2)  # done; not found or failed; bad command line


class Driver:
    """vellum_driver.exe, one command per call; results are the JSON lines it prints."""

    def __init__(self, env):
        self.env = env

    def command(self, *args, ok_codes=(0,), timeout=60, dll_overrides=None):
        argv = [self.env.wine, str(self.env.driver_exe), *map(str, args)]
        code, out, err = run_captured(argv, self.env.environ(dll_overrides), timeout)
        if code not in DRIVER_EXIT_CODES or (code != 0 and not out.strip() and not err.strip()):
            # The driver itself broke down (Wine's loader now and then fails a process under
            # load, exit code 127, or ends it before it wrote a word: every failure of the
            # driver's own says why): that says nothing about the program under test, ask again.
            print(f"vellum_driver {' '.join(map(str, args))} exited {code}, once more: "
                  f"{err.decode('utf-8', errors='replace').strip()}", file=sys.stderr)
            code, out, err = run_captured(argv, self.env.environ(dll_overrides), timeout)
        lines = [json.loads(line) for line in out.decode("utf-8").splitlines() if line]
        if code not in ok_codes:
            raise DriverError(
                f"vellum_driver {' '.join(map(str, args))} exited {code}: "
                f"{err.decode('utf-8', errors='replace').strip()} {lines}",
                code,
                lines,
            )
        return lines

    # Reading windows ------------------------------------------------------------------------

    @staticmethod
    def _filters(caption=None, cls=None, pid=None, visible=False):
        out = []
        if caption is not None:
            out.append("--caption=" + _arg(caption))
        if cls is not None:
            out.append("--class=" + _arg(cls))
        if pid is not None:
            out.append(f"--pid={pid}")
        if visible:
            out.append("--visible")
        return out

    def find(self, caption=None, cls=None, pid=None, visible=False):
        """Top-level windows that match (all when no filter is given)."""
        return self.command("find", *self._filters(caption, cls, pid, visible), ok_codes=(0, 1))

    def wait(self, caption=None, cls=None, pid=None, visible=False, gone=False, hidden=False,
             timeout=10.0):
        """Waits for a matching top-level window (or for none with gone=True, or for all of
        them hidden with hidden=True). Returns the windows found, None on time-out."""
        args = ["wait", *self._filters(caption, cls, pid, visible), f"--timeout={int(timeout * 1000)}"]
        if gone:
            args.append("--gone")
        if hidden:
            args.append("--hidden")
        lines = self.command(*args, ok_codes=(0, 1), timeout=timeout + 30)
        if lines and "error" in lines[0]:
            return None
        return lines

    def info(self, hwnd, control_id=None):
        return self.command("info", _target(hwnd, control_id))[0]

    def children(self, hwnd):
        """Every control of the window, depth first, in z-order."""
        return self.command("children", _target(hwnd))

    def controls(self, hwnd):
        """The window's controls by control ID."""
        return {c["id"]: c for c in self.children(hwnd)}

    def tooltips(self, hwnd):
        """{control ID: tooltip text} of the window's controls."""
        return {t["id"]: t.get("text") for t in self.command("tooltips", _target(hwnd))}

    def guiinfo(self, hwnd):
        return self.command("guiinfo", _target(hwnd))[0]

    def env_var(self, name, dll_overrides=None):
        """The variable as a Windows process started from the tests sees it (None if unset)."""
        line = self.command("env", _arg(name), dll_overrides=dll_overrides)[0]
        return line["value"] if line["set"] else None

    # Playing the user -----------------------------------------------------------------------

    def click(self, hwnd, control_id=None, double=False, right=False):
        args = ["click", _target(hwnd, control_id)]
        if double:
            args.append("--double")
        if right:
            args.append("--right")
        return self.command(*args)[0]

    def mouse(self, action, *points):
        """action: move, down, up, rdown, rup or click; points: (x, y) screen positions."""
        coords = [str(c) for point in points for c in point]
        return self.command("mouse", action, *coords)[0]

    def key(self, *chords, down=False, up=False):
        """Presses chords like "ctrl+alt+a", "snapshot", "ctrl+f12" through SendInput."""
        args = ["key", *chords]
        if down:
            args.append("--down")
        if up:
            args.append("--up")
        return self.command(*args)[0]

    def post(self, hwnd, msg, wparam=0, lparam=0, control_id=None):
        return self.command("post", _target(hwnd, control_id), msg, wparam, lparam)[0]

    def send(self, hwnd, msg, wparam=0, lparam=0, control_id=None):
        return self.command("send", _target(hwnd, control_id), msg, wparam, lparam)[0]

    def set_text(self, hwnd, control_id, text):
        return self.command("settext", _target(hwnd, control_id), _arg(text))[0]

    def focus(self, hwnd, control_id=None):
        return self.command("focus", _target(hwnd, control_id))[0]

    def combo_select(self, hwnd, control_id, index):
        return self.command("combo-select", _target(hwnd, control_id), index)[0]

    # Message boxes --------------------------------------------------------------------------

    def message_boxes(self, pid=None, caption=None, timeout=5.0):
        """Visible message boxes (with "text" and "buttons"); waits up to timeout for one."""
        args = ["msgbox", *self._filters(caption=caption, pid=pid), f"--timeout={int(timeout * 1000)}"]
        lines = self.command(*args, ok_codes=(0, 1), timeout=timeout + 30)
        return [line for line in lines if "error" not in line]

    def press_message_box_button(self, button, pid=None, caption=None, timeout=5.0):
        """Clicks the button (its text or its numeric ID) of a message box."""
        args = ["msgbox-press", _arg(button), *self._filters(caption=caption, pid=pid),
                f"--timeout={int(timeout * 1000)}"]
        return self.command(*args, timeout=timeout + 30)[0]

    # Common dialogs (file, folder, colour) ----------------------------------------------------

    def dialog(self, pid=None, caption=None, timeout=5.0):
        """The first visible "#32770" dialog that matches, described by kind ("file", "folder",
        "color", "other"): a file dialog's "name" field, "folder" and "types"; a folder
        dialog's "title", "status", "edit" and "selected_path"; a colour dialog's "red",
        "green" and "blue" texts. None when none appears within timeout."""
        args = ["dialog", *self._filters(caption=caption, pid=pid),
                f"--timeout={int(timeout * 1000)}"]
        lines = self.command(*args, ok_codes=(0, 1), timeout=timeout + 30)
        return None if not lines or "error" in lines[0] else lines[0]

    @staticmethod
    def _finish(ok, cancel):
        return ["--ok"] if ok else ["--cancel"] if cancel else []

    def dialog_press(self, button, pid=None, caption=None, timeout=5.0):
        """Clicks a button of a dialog, by its text or its control ID (1 OK, 2 Cancel)."""
        args = ["dialog-press", _arg(button), *self._filters(caption=caption, pid=pid),
                f"--timeout={int(timeout * 1000)}"]
        return self.command(*args, timeout=timeout + 30)[0]

    def file_dialog_name(self, text, pid=None, ok=False, cancel=False, timeout=5.0):
        """Types text into a file dialog's file-name field (several files as '"a" "b"'), then
        presses Open/Save (ok) or Cancel."""
        args = ["filedlg-name", _arg(text), *self._filters(pid=pid),
                f"--timeout={int(timeout * 1000)}", *self._finish(ok, cancel)]
        return self.command(*args, timeout=timeout + 30)[0]

    def folder_dialog_select(self, path, pid=None, ok=False, cancel=False, timeout=5.0):
        """Selects the folder (a C:\\ path) in a folder dialog's tree with a click, then presses
        OK or Cancel."""
        args = ["folderdlg-select", _arg(path), *self._filters(pid=pid),
                f"--timeout={int(timeout * 1000)}", *self._finish(ok, cancel)]
        return self.command(*args, timeout=timeout + 30)[0]

    def color_dialog_rgb(self, red, green, blue, pid=None, ok=False, cancel=False, timeout=5.0):
        """Types the values into a colour dialog's Red, Green and Blue fields, then presses OK
        or Cancel."""
        args = ["colordlg-rgb", red, green, blue, *self._filters(pid=pid),
                f"--timeout={int(timeout * 1000)}", *self._finish(ok, cancel)]
        return self.command(*args, timeout=timeout + 30)[0]

    # Processes ------------------------------------------------------------------------------

    def kill(self, pid):
        return self.command("kill", pid, ok_codes=(0, 1))[0]

    def paint(self, left, top, width, height, color=None):
        """Shows a window of known colours (see PaintWindow) and returns it once it is drawn."""
        args = ["paint", left, top, width, height]
        if color is not None:
            args.append(f"--color={color:06X}")
        return PaintWindow(self, args)


class _LineReader:
    """Reads a process's stdout lines on a thread, so that waiting for one can time out."""

    def __init__(self, stream):
        self.lines = queue.Queue()
        self.thread = threading.Thread(target=self._pump, args=(stream,), daemon=True)
        self.thread.start()

    def _pump(self, stream):
        for raw in stream:
            text = raw.decode("utf-8", errors="replace").strip()
            if text:
                self.lines.put(json.loads(text))
        self.lines.put(None)

    def next(self, timeout):
        try:
            return self.lines.get(timeout=timeout)
        except queue.Empty:
            return None


class PaintWindow:
    """A borderless topmost window painted by the driver: either one solid colour (0xRRGGBB)
    or the coordinate pattern, where the screen pixel (x, y) is
    (x % 256, y % 256, (x // 256 % 16) * 16 + y // 256 % 16) in RGB."""

    def __init__(self, driver, args):
        self.driver = driver
        self.proc = subprocess.Popen(
            [driver.env.wine, str(driver.env.driver_exe), *map(str, args)],
            env=driver.env.environ(),
            stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
        )
        self.reader = _LineReader(self.proc.stdout)
        self.window = self.reader.next(timeout=30)
        if not self.window:
            self.close()
            raise E2EError("the paint window did not appear")
        self.hwnd = self.window["hwnd"]
        self.pid = self.window["pid"]

    @staticmethod
    def expected(x, y):
        return (x & 0xFF, y & 0xFF, ((x >> 8) & 0xF) << 4 | ((y >> 8) & 0xF))

    def close(self):
        if self.proc.poll() is None:
            if getattr(self, "hwnd", None):
                self.driver.post(self.hwnd, WM_CLOSE)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


# ---------------------------------------------------------------------------------------------
# The program under test

class Program:
    """A copy of Vellum_Capture.exe in a folder of its own under the prefix's C: drive, so that
    its Settings.ini and its output belong to one test. start() may be called again after the
    program has ended (same folder, same Settings.ini). With copy=False the program already in
    the folder is run (an installed one)."""

    def __init__(self, env, driver, folder, copy=True):
        self.env = env
        self.driver = driver
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.exe = self.folder / PROGRAM_NAME
        if copy:
            shutil.copy2(env.program, self.exe)
        self.proc = None
        self.reader = None
        self.pid = None
        self.hwnd = None
        self.exit_code = None
        self.started = []  # Windows pids of every run, for clean-up

    @property
    def folder_win(self):
        return self.env.win_path(self.folder)

    @property
    def settings_ini(self):
        return self.folder / "Settings.ini"

    def start(self, args=None, env=None, unset=(), dll_overrides=None, wait=True, timeout=15.0):
        """Starts the program. args: the text after the program's name on its command line
        (None for none). env: {name: value} to set, unset: names to remove from its
        environment. dll_overrides: added to WINEDLLOVERRIDES (e.g. "gdiplus=d"). With wait,
        returns once the main window exists (shown or not)."""
        if self.running:
            raise E2EError("the program is already running")
        argv = [self.env.wine, str(self.env.driver_exe), "run", _arg(self.env.win_path(self.exe)),
                "--cwd=" + _arg(self.folder_win)]
        if args is not None:
            argv.append("--cmdline=" + _arg(args))
        for name, value in (env or {}).items():
            argv.append("--env=" + _arg(f"{name}={value}"))
        for name in unset:
            argv.append("--unset=" + _arg(name))
        self.exit_code = None
        self.hwnd = None
        self.proc = subprocess.Popen(
            argv,
            env=self.env.environ(dll_overrides),
            stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
        )
        self.reader = _LineReader(self.proc.stdout)
        first = self.reader.next(timeout=30)
        if not first or "pid" not in first:
            self.kill()
            raise E2EError(f"the program did not start: {first}")
        self.pid = first["pid"]
        self.started.append(self.pid)
        if wait:
            self.wait_main_window(timeout)
        return self

    def wait_main_window(self, timeout=15.0, visible=False):
        found = self.driver.wait(caption=MAIN_CAPTION, cls=MAIN_CLASS, pid=self.pid,
                                 visible=visible, timeout=timeout)
        if not found:
            raise AssertionError(
                f"no main window (class {MAIN_CLASS}, caption {MAIN_CAPTION}) of pid "
                f"{self.pid} within {timeout} s; its windows: {self.driver.find(pid=self.pid)}")
        self.hwnd = found[0]["hwnd"]
        return found[0]

    def start_shown(self, **kwargs):
        """Starts the program as start() does and waits for its window to show; returns it."""
        self.start(**kwargs)
        return self.wait_main_window(visible=True)

    def start_with_output(self, test_dir, fmt="png", folder="out", clipboard=False, args=None):
        """Starts the program with its output folder (from "tmp") a new folder of test_dir and
        the format chosen, the clipboard box checked when asked. Returns the folder."""
        out = test_dir / folder
        out.mkdir(exist_ok=True)
        self.start(env={"tmp": self.env.win_path(out)}, args=args)
        if args is None:
            self.wait_main_window(visible=True)
        if clipboard:
            self.driver.click(self.hwnd, CHECK2_ID)
            assert wait_until(lambda: self.control(CHECK2_ID)["check"] == 1, 3)
        # After the clipboard box, whose checking moves png to gif: png stays choosable.
        self.driver.combo_select(self.hwnd, CMB_IMG_TYPE_ID, FORMATS.index(fmt))
        return out

    @property
    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def window(self):
        """The main window's description now."""
        return self.driver.info(self.hwnd)

    def controls(self):
        return self.driver.controls(self.hwnd)

    def control(self, control_id):
        return self.driver.info(self.hwnd, control_id)

    def tooltips(self):
        return self.driver.tooltips(self.hwnd)

    def windows(self, cls=None, visible=False):
        """The program's top-level windows."""
        return self.driver.find(cls=cls, pid=self.pid, visible=visible)

    def message_boxes(self, timeout=5.0):
        return self.driver.message_boxes(pid=self.pid, timeout=timeout)

    def wait_exit(self, timeout=10.0):
        """Waits for the program to end; returns its exit code, None on time-out."""
        if self.proc is None:
            return self.exit_code
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        # The driver prints the program's exit code just before it ends.
        while True:
            line = self.reader.next(timeout=5)
            if line is None:
                break
            if "exit" in line:
                self.exit_code = line["exit"]
                break
        return self.exit_code

    def close(self, timeout=10.0):
        """Closes the main window as the user would (system menu Close) and waits for the
        program to end. Returns the exit code; kills the program and fails on time-out."""
        if not self.running:
            return self.exit_code
        self.driver.post(self.hwnd, WM_SYSCOMMAND, SC_CLOSE)
        code = self.wait_exit(timeout)
        if code is None and self.running:
            self.kill()
            raise AssertionError(f"the program did not end within {timeout} s of SC_CLOSE")
        return code

    def kill(self):
        """Ends the program at once (the driver that started it ties it to itself)."""
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for pid in self.started:
            if self.driver.find(pid=pid):
                self.driver.kill(pid)
        self.started.clear()

    def save_path(self, number, ext, folder=None, prefix="PXGR_Cap_"):
        """The Unix path of output file number n in folder (a C:\\ path ending in "\\")."""
        return self.env.unix_path(folder) / f"{prefix}{number}.{ext}"


def close_strays(driver, shown_before):
    """Closes the visible top-level windows that are not in shown_before (handles): whatever a
    test or the program started and left on the screen (a folder window, a tool, a message box)
    would cover the next test's windows. They are asked to close; a process that does not is
    ended, except Wine's desktop process, which may own such a window (a folder window) and
    without which no window could be shown any more."""
    strays = [w for w in driver.find(visible=True) if w["hwnd"] not in shown_before]
    if not strays:
        return
    for w in strays:
        driver.post(w["hwnd"], WM_CLOSE)
    desktop_pid = driver.info("desktop")["pid"]
    for w in strays:
        if driver.wait(cls=w["class"], pid=w["pid"], visible=True, gone=True, timeout=3) is None:
            if w["pid"] != desktop_pid:
                driver.kill(w["pid"])


# ---------------------------------------------------------------------------------------------
# Screen and files

def screenshot(env, path=None):
    """The whole X screen as a PIL image (and saved at path when given)."""
    from PIL import Image

    with tempfile.TemporaryDirectory(prefix="vellum-shot-") as tmp:
        out = Path(path) if path else Path(tmp) / "shot.png"
        subprocess.run(["/usr/bin/import", "-display", env.display, "-window", "root", str(out)],
                       check=True, capture_output=True, timeout=60)
        image = Image.open(out)
        image.load()
        return image.convert("RGB")


def wait_for_file(path, timeout=10.0, stable_for=0.3):
    """Waits until the file exists and its size has stopped changing; True when it has."""
    path = Path(path)
    deadline = time.monotonic() + timeout
    last = None
    since = time.monotonic()
    while time.monotonic() < deadline:
        size = path.stat().st_size if path.is_file() else None
        if size != last:
            last, since = size, time.monotonic()
        elif size and time.monotonic() - since >= stable_for:
            return True
        time.sleep(0.05)
    return False


def wait_until(predicate, timeout=5.0, interval=0.05):
    """Polls predicate until it returns a true value; returns the last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


class Witness:
    """A focused window of another program that reports the keys it receives."""

    def __init__(self, env, left=1500, top=60):
        exe = env.build_dir / "tools" / "hotkey_witness" / "hotkey_witness.exe"
        self.proc = subprocess.Popen([env.wine, str(exe), "keys", str(left), str(top)],
                                     env=env.environ(), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.lines = queue.Queue()
        threading.Thread(target=self._pump, daemon=True).start()
        first = self._next(timeout=30)
        if not first or "hwnd" not in first[0]:
            self.close()
            raise E2EError(f"the key witness did not start: {first}")
        self.hwnd, self.pid = first[0]["hwnd"], first[0]["pid"]
        self.keys = []  # (message, vk, arrival on the test's clock)

    def _pump(self):
        # Each line is stamped the moment it arrives.
        for raw in self.proc.stdout:
            if raw.strip():
                self.lines.put((json.loads(raw), time.monotonic()))

    def _next(self, timeout):
        try:
            return self.lines.get(timeout=timeout)
        except queue.Empty:
            return None

    def collect(self, settle=0.3):
        """Gathers what arrived, waiting until nothing more comes for `settle` seconds."""
        while True:
            item = self._next(settle)
            if item is None:
                return self.keys
            line, arrival = item
            self.keys.append((line["msg"], line["vk"], arrival))

    def presses(self):
        return [vk for msg, vk, _ in self.collect() if msg in ("keydown", "syskeydown")]

    def close(self, driver=None):
        if self.proc.poll() is None:
            if driver and getattr(self, "hwnd", None):
                try:
                    driver.post(self.hwnd, WM_CLOSE)
                except DriverError:
                    pass  # its window is gone already: the wait below ends it either way
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
