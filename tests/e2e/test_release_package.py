"""The release files as a user gets them: the zip holds the tested program, its license and the
guide; the installer, run silently in a new user's profile (a Wine prefix of its own), puts the
program, its shortcut and its entry in the installed-programs list where they belong, the
installed program works and keeps its settings beside itself, a reinstall keeps them, and the
silent uninstall takes away everything it brought and nothing of the user's."""

import os
import shutil
import subprocess
import time
import zipfile
from pathlib import Path

import pytest

from vellum_e2e import (
    E2EError,
    Driver,
    Program,
    Registry,
    WineEnv,
    run_captured,
    wait_for_file,
    wait_until,
)

UNINSTALL_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellum_Capture"
RUN_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Vellum_Capture"
SHORTCUT = r"Microsoft\Windows\Start Menu\Programs\栖木抓屏精灵.lnk"  # under APPDATA
GUIDE = "使用说明.txt"
INSTALLED_FILES = {"Vellum_Capture.exe", "LICENSE.txt", GUIDE, "uninst.exe"}
CHECK3 = 1024  # the 自动启动 box
PARKED_POINTER = (1919, 1079)


def read_version(source_dir):
    for line in (source_dir / "res" / "Vellum_Capture.rc").read_text(encoding="utf-8").splitlines():
        if line.startswith("#define VELLUM_VERSION_TEXT"):
            return line.split('"')[1]
    raise E2EError("no VELLUM_VERSION_TEXT in the version resource")


def as_windows_text(path):
    """A text file of the repository as it is shipped: CRLF lines."""
    text = Path(path).read_text(encoding="utf-8").replace("\r\n", "\n")
    return text.replace("\n", "\r\n").encode("utf-8")


def package_into(wine_env, dist):
    """Packages the tree the tests run (no new build) into dist; returns its file names."""
    env = {"PATH": "/usr/bin:/bin", "VELLUM_BUILD_ROOT": str(wine_env.build_dir.parent),
           "VELLUM_DIST_DIR": str(dist)}
    script = wine_env.source_dir / "scripts" / "package.sh"
    done = subprocess.run(["bash", str(script), "--no-build"], env=env, capture_output=True,
                          text=True, timeout=300)
    assert done.returncode == 0, done.stdout + done.stderr
    return sorted(p.name for p in dist.iterdir())


@pytest.fixture(scope="module")
def package(wine_env):
    if wine_env.source_dir is None:
        pytest.fail("VELLUM_SOURCE_DIR is not set (run the suite through ctest)", pytrace=False)
    dist = wine_env.build_dir / "package-test"
    shutil.rmtree(dist, ignore_errors=True)
    dist.mkdir()
    version = read_version(wine_env.source_dir)
    names = package_into(wine_env, dist)
    base = f"Vellum_Capture-{version}"
    assert names == [f"{base}-setup.exe", f"{base}-win64.zip"]
    return {"version": version, "dist": dist, "zip": dist / f"{base}-win64.zip",
            "setup": dist / f"{base}-setup.exe"}


class FreshUserEnv(WineEnv):
    """A Wine prefix made for these tests alone: a user profile nothing has been installed in.
    Wine's menu builder is off, so that the shortcut does not reach the host's desktop menus;
    file names with Chinese characters need a UTF-8 locale."""

    def environ(self, dll_overrides=None):
        extra = "winemenubuilder.exe=d" + (";" + dll_overrides if dll_overrides else "")
        env = super().environ(extra)
        current = env.get("LC_ALL") or env.get("LC_CTYPE") or env.get("LANG") or ""
        if "utf-8" not in current.lower().replace("utf8", "utf-8"):
            env["LC_ALL"] = "C.UTF-8"
        return env


@pytest.fixture(scope="module")
def user(wine_env, package):
    """The fresh prefix with a wineserver and a held desktop; the user's folders in it."""
    prefix = wine_env.build_dir.parent / "package-test-prefix"
    env = FreshUserEnv(wine_env.build_dir, prefix, wine_env.display, wine_env.source_dir)
    shell_env = env.environ()
    shell_env["VELLUM_WINEPREFIX"] = str(prefix)
    shell_env["VELLUM_BUILD_ROOT"] = str(wine_env.build_dir.parent)
    setup = f'rm -rf "{prefix}" && source "{wine_env.source_dir}/scripts/wine-env.sh" && vellum_prefix_ensure'
    code, out, err = run_captured(["bash", "-c", setup], shell_env, timeout=300)
    if code != 0:
        raise E2EError(f"the fresh prefix was not made: {out.decode()} {err.decode()}")
    run_captured(["wineserver", "-p"], shell_env, timeout=60)
    hold = subprocess.Popen([env.wine, str(env.driver_exe), "hold"], env=shell_env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        driver = Driver(env)
        local = env.unix_path(driver.env_var("LOCALAPPDATA"))
        appdata = env.unix_path(driver.env_var("APPDATA"))
        yield {"env": env, "driver": driver, "registry": Registry(env),
               "instdir": local / "Programs" / "Vellum Capture",
               "shortcut": appdata.joinpath(*SHORTCUT.split("\\"))}
    finally:
        hold.kill()
        hold.wait()
        run_captured(["wineserver", "-k"], shell_env, timeout=60)


def run_windows(user, exe, *args, timeout=120):
    code, _, err = run_captured([user["env"].wine, str(exe), *args], user["env"].environ(),
                                timeout)
    return code, err


def install(user, package, *args):
    code, err = run_windows(user, package["setup"], "/S", *args)
    assert code == 0, err.decode(errors="replace")
    assert wait_until(lambda: user["registry"].values(UNINSTALL_KEY), 10)


def uninstall_quietly(user):
    """Runs the uninstall entry's QuietUninstallString, as Windows would, and waits for the
    uninstaller (which goes on from a copy of itself) to finish."""
    quiet = user["registry"].values(UNINSTALL_KEY)["QuietUninstallString"].value
    exe, _, args = quiet[1:].partition('" ')
    code, err = run_windows(user, user["env"].unix_path(exe), *args.split())
    assert code == 0, err.decode(errors="replace")
    assert wait_until(lambda: not user["registry"].values(UNINSTALL_KEY), 30), (
        "the uninstall entry is still there")
    # The entry goes last: its files are gone by then.


def run_value(user):
    value = user["registry"].values(RUN_KEY).get(RUN_VALUE)
    return value.value if value else None


def start_installed(user, tmp=None, args=None):
    program = Program(user["env"], user["driver"], user["instdir"], copy=False)
    program.start(env={"tmp": user["env"].win_path(tmp)} if tmp else None, args=args)
    return program


def test_the_zip_holds_the_tested_program_its_license_and_the_guide(wine_env, package, tmp_path):
    with zipfile.ZipFile(package["zip"]) as archive:
        infos = archive.infolist()
        assert [i.filename for i in infos] == ["LICENSE.txt", "Vellum_Capture.exe", GUIDE]
        assert archive.read("Vellum_Capture.exe") == wine_env.program.read_bytes(), (
            "the zip's program is the one the tests ran")
        assert archive.read("LICENSE.txt") == as_windows_text(wine_env.source_dir / "LICENSE")
        guide = archive.read(GUIDE)
        assert guide[:3] == b"\xef\xbb\xbf", "Notepad takes the guide for UTF-8 by its mark"
        assert guide[3:] == as_windows_text(wine_env.source_dir / "docs" / "使用说明.md")
        assert {i.date_time for i in infos} == {infos[0].date_time}
        assert {i.external_attr for i in infos} == {0x20}, "no file modes of the packing host"
    # Packed again from the same tree, both files are the same bytes.
    again = tmp_path / "again"
    again.mkdir()
    package_into(wine_env, again)
    for kind in ("zip", "setup"):
        assert (again / package[kind].name).read_bytes() == package[kind].read_bytes(), kind


def test_silent_install_works_keeps_settings_on_reinstall_and_uninstalls_cleanly(
        wine_env, package, user):
    env, driver, registry, instdir = user["env"], user["driver"], user["registry"], user["instdir"]
    assert not instdir.exists() and run_value(user) is None, "the user starts with nothing"
    install(user, package, "/LOGON")

    # The files, the shortcut and the entry in the installed-programs list.
    assert {p.name for p in instdir.iterdir()} == INSTALLED_FILES | {"Settings.ini"}
    assert (instdir / "Vellum_Capture.exe").read_bytes() == wine_env.program.read_bytes()
    with zipfile.ZipFile(package["zip"]) as archive:
        for name in ("LICENSE.txt", GUIDE):
            assert (instdir / name).read_bytes() == archive.read(name), name
    instdir_win = env.win_path(instdir)
    exe_win = instdir_win + "\\Vellum_Capture.exe"
    link = user["shortcut"].read_bytes()
    assert link[:4] == b"\x4c\x00\x00\x00", "a shell link"
    assert (exe_win + "\0").encode("ascii") in link, "the shortcut starts the installed program"
    assert (instdir_win + "\0").encode("utf-16-le") in link, "in its own folder"
    entry = {name: v.value for name, v in registry.values(UNINSTALL_KEY).items()}
    size_kb = sum(p.stat().st_size for p in instdir.iterdir() if p.name != "uninst.exe") / 1024
    assert entry.pop("EstimatedSize") == pytest.approx(size_kb, abs=2)
    assert entry == {
        "DisplayName": "栖木抓屏精灵",
        "DisplayIcon": exe_win + ",0",
        "DisplayVersion": package["version"],
        "Publisher": "栖木软件",
        "InstallLocation": instdir_win,
        "UninstallString": f'"{instdir_win}\\uninst.exe"',
        "QuietUninstallString": f'"{instdir_win}\\uninst.exe" /S',
        "NoModify": 1,
        "NoRepair": 1,
    }
    installed_entry = run_value(user)
    assert installed_entry == f'"{exe_win}" /a'

    # The installed program starts with its 自动启动 box checked, saves a PrintScreen and
    # keeps its settings beside itself.
    out = instdir.parent / "截图"
    out.mkdir()
    program = start_installed(user, tmp=out)
    try:
        program.wait_main_window(visible=True)
        assert program.control(CHECK3)["check"] == 1
        driver.key("snapshot")
        assert wait_for_file(out / "PXGR_Cap_1.png")
        # The box and the installer write the same entry: unchecked it goes, checked it comes
        # back as the installer wrote it.
        driver.click(program.hwnd, CHECK3)
        assert wait_until(lambda: run_value(user) is None, 5)
        driver.click(program.hwnd, CHECK3)
        assert wait_until(lambda: run_value(user) is not None, 5)
        assert run_value(user) == installed_entry
        assert program.close() == 0
    finally:
        program.kill()
    settings = (instdir / "Settings.ini").read_bytes()
    assert settings[:2] == b"\xff\xfe"
    text = settings[2:].decode("utf-16-le")
    assert "[PXGR_Vellum_Capture]" in text and "Form1_Check3=1" in text
    assert "Form1_P=" + env.win_path(out) + "\\" in text

    # A reinstall over it keeps the user's settings (and, without /LOGON, the logon entry the
    # user has).
    install(user, package)
    assert (instdir / "Settings.ini").read_bytes() == settings
    assert run_value(user) == installed_entry

    # Uninstalled while it runs in the background, as after a logon start: closed, and all of
    # it gone but the picture.
    program = start_installed(user, args="/a")
    try:
        assert not program.window()["visible"]
        uninstall_quietly(user)
        assert program.wait_exit(10) is not None, "the uninstaller closed the running program"
    finally:
        program.kill()
    assert not instdir.exists()
    assert not user["shortcut"].exists()
    assert run_value(user) is None
    assert (out / "PXGR_Cap_1.png").is_file(), "the user's pictures stay"
    driver.mouse("move", PARKED_POINTER)


def test_uninstall_leaves_pictures_in_its_folder_and_another_copys_logon_entry(package, user):
    registry, instdir = user["registry"], user["instdir"]
    install(user, package)
    assert {p.name for p in instdir.iterdir()} == INSTALLED_FILES, "no Settings.ini yet"
    assert run_value(user) is None, "no logon entry without /LOGON"
    picture = b"\x89PNG\r\n\x1a\n picture"
    (instdir / "PXGR_Cap_1.png").write_bytes(picture)
    (instdir / "截图").mkdir()
    (instdir / "截图" / "PXGR_Cap_2.png").write_bytes(picture)
    portable = r'"C:\便携\Vellum_Capture.exe" /a'
    registry.set_strings(RUN_KEY, {RUN_VALUE: portable})
    try:
        uninstall_quietly(user)
        assert sorted(str(p.relative_to(instdir)) for p in instdir.rglob("*")) == [
            "PXGR_Cap_1.png", "截图", "截图/PXGR_Cap_2.png"]
        assert (instdir / "截图" / "PXGR_Cap_2.png").read_bytes() == picture
        assert not user["shortcut"].exists()
        assert run_value(user) == portable, "another copy's logon entry is not this one's"
    finally:
        user["env"].run_wine("reg", "delete", RUN_KEY, "/v", RUN_VALUE, "/f", check=False)
        shutil.rmtree(instdir, ignore_errors=True)
