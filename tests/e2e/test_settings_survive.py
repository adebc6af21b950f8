"""Settings that survive whatever ends the program: the end of the Windows session (a logoff as
wineboot --end-session plays it), a kill soon after a change, texts that the INI format would
bend, and a Settings.ini that another program holds at the start."""

import subprocess
import time

from vellum_e2e import FORM1_KEY, _LineReader, wait_for_file, wait_until

P, TBXQZ, CHECK1, TEXT1, COMMAND2 = 1000, 1005, 1011, 1012, 1022
SECTION = "PXGR_Vellum_Capture"


def ini_text(vellum):
    data = vellum.settings_ini.read_bytes()
    assert data[:2] == b"\xff\xfe", "Settings.ini stays UTF-16LE with a byte-order mark"
    return data[2:].decode("utf-16-le")


def stored(vellum, key):
    """The raw text after "key=" in Settings.ini, or None."""
    for line in ini_text(vellum).split("\r\n"):
        if line.startswith(key + "="):
            return line[len(key) + 1:]
    return None


def end_session(wine_env):
    """Logs off as Wine plays it: WM_QUERYENDSESSION and WM_ENDSESSION to every window, then the
    processes are ended."""
    wine_env.run_wine("wineboot", "--end-session", timeout=60, check=False)


def set_prefix(vellum, text):
    vellum.driver.set_text(vellum.hwnd, TBXQZ, text)
    assert wait_until(lambda: vellum.control(TBXQZ)["text"] == text, 3)


def test_a_background_run_ended_by_the_session_keeps_its_settings(vellum, registry, wine_env):
    vellum.start(args="/a")
    assert not vellum.window()["visible"]
    # Ended at once: no time for the save that follows a change.
    set_prefix(vellum, "会话 ")
    end_session(wine_env)
    assert vellum.wait_exit(15) is not None, "the program ends with the session"
    assert stored(vellum, "Form1_tbxQZ") == '"会话 "'
    values = registry.values(FORM1_KEY)
    assert {name: v.value for name, v in values.items()} == {
        "ChOp_Tip": "mspaint.exe", "Check4_Tag": "-1"}, "the store is written as at a close"


def test_the_session_ending_during_a_region_selection_keeps_the_settings(vellum, registry,
                                                                         wine_env, driver):
    vellum.start(args="/a")
    set_prefix(vellum, "划屏_")
    driver.key("ctrl+alt+a")
    assert wait_until(lambda: vellum.windows(visible=True), 5), "the selection shows its tip"
    end_session(wine_env)
    assert vellum.wait_exit(15) is not None
    assert stored(vellum, "Form1_tbxQZ") == "划屏_"
    assert set(registry.values(FORM1_KEY)) == {"ChOp_Tip", "Check4_Tag"}
    # The selection's mouse hook is gone with the program: a click reaches the desktop again.
    assert driver.find(pid=vellum.pid) == []


def test_the_session_ending_during_continuous_capture_keeps_the_settings(vellum, test_dir,
                                                                         registry, wine_env):
    out = vellum.start_with_output(test_dir, "bmp")
    vellum.driver.click(vellum.hwnd, CHECK1)
    assert wait_until(lambda: vellum.control(TEXT1)["shown"])
    vellum.driver.set_text(vellum.hwnd, TEXT1, "100")
    set_prefix(vellum, "连续_")
    vellum.driver.click(vellum.hwnd, COMMAND2)
    assert wait_until(lambda: len(list(out.glob("连续_*.bmp"))) >= 3, 10)
    end_session(wine_env)
    assert vellum.wait_exit(15) is not None
    assert stored(vellum, "Form1_tbxQZ") == "连续_"
    assert stored(vellum, "Form1_Check1") == "1"
    assert stored(vellum, "Form1_Text1") == "100"
    assert set(registry.values(FORM1_KEY)) == {"ChOp_Tip", "Check4_Tag"}
    # Every file the capture wrote is whole; none was begun after the settings were written.
    taken = sorted(out.glob("连续_*.bmp"), key=lambda p: int(p.stem.split("_")[1]))
    assert [p.name for p in taken] == [f"连续_{i}.bmp" for i in range(1, len(taken) + 1)]
    assert len({p.stat().st_size for p in taken}) == 1


def test_a_change_survives_a_kill_soon_after(vellum, driver):
    vellum.start_shown()
    set_prefix(vellum, "被杀 ")
    # The user pauses for a moment; then the process is killed without a word.
    assert wait_until(lambda: vellum.settings_ini.exists() and
                      stored(vellum, "Form1_tbxQZ") == '"被杀 "', 5)
    driver.kill(vellum.pid)
    assert stored(vellum, "Form1_tbxQZ") == '"被杀 "'
    assert not (vellum.folder / "Settings.ini.tmp").exists()


def test_texts_the_ini_format_would_bend_survive_restarts(vellum, test_dir, driver):
    out = test_dir / "work" / "r" / "notes"
    out.mkdir(parents=True)
    folder = vellum.env.win_path(out) + "\\"
    assert "\\r\\notes\\" in folder
    prefix = ' 截图 "x" /_y@ \\r\\n\t '
    vellum.start_shown()
    driver.set_text(vellum.hwnd, P, folder)
    set_prefix(vellum, prefix)
    vellum.close()

    vellum.start_shown()
    assert vellum.control(P)["text"] == folder
    assert vellum.control(TBXQZ)["text"] == prefix
    set_prefix(vellum, "截图 ")
    vellum.close()
    # Texts that earlier versions kept keep their lines; the others are written so they survive.
    assert stored(vellum, "Form1_tbxQZ") == '"截图 "'

    vellum.start_shown()
    assert vellum.control(P)["text"] == folder
    assert vellum.control(TBXQZ)["text"] == "截图 "
    driver.key("snapshot")
    assert wait_for_file(out / "截图 1.png"), sorted(p.name for p in out.iterdir())


def hold_without_sharing(vellum, milliseconds):
    """Another program (the driver) holding Settings.ini open with no sharing; returns once the
    file is held."""
    proc = subprocess.Popen(
        [vellum.env.wine, str(vellum.env.driver_exe), "lock-file",
         vellum.env.win_path(vellum.settings_ini), f"--ms={milliseconds}"],
        env=vellum.env.environ(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
        stderr=subprocess.DEVNULL)
    reader = _LineReader(proc.stdout)
    line = reader.next(timeout=30)
    assert line and line["locked"], line
    return proc


def test_a_settings_file_held_at_the_start_is_not_replaced_by_defaults(vellum):
    vellum.start_shown()
    set_prefix(vellum, "保存的 ")
    vellum.close()
    before = vellum.settings_ini.read_bytes()

    # Held longer than the program waits: it starts with its defaults...
    lock = hold_without_sharing(vellum, 6000)
    vellum.start_shown(timeout=20)
    assert vellum.control(TBXQZ)["text"] == "PXGR_Cap_"
    lock.wait(timeout=30)
    # ...and neither the save after a change of nothing nor the close writes them over the file.
    time.sleep(1.5)
    vellum.close()
    assert vellum.settings_ini.read_bytes() == before

    # Held for a moment only: the program waits for it and restores the stored prefix.
    lock = hold_without_sharing(vellum, 700)
    vellum.start_shown(timeout=20)
    assert vellum.control(TBXQZ)["text"] == "保存的 "
    lock.wait(timeout=30)
    vellum.close()
