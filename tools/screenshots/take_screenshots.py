"""Takes the README's screenshots of the real program under Wine on the virtual display:
the main window, the About box, a region selection in progress and the folder chooser.

Run through scripts/screenshots.sh, which builds, sets up Wine and Xvfb and calls this with
VELLUM_BUILD_DIR, WINEPREFIX and DISPLAY set. Writes docs/*.png."""

import shutil
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent.parent / "tests" / "e2e"))

from vellum_e2e import Driver, Program, Registry, SETTINGS_KEY, WineEnv, screenshot, wait_until  # noqa: E402

DOCS = HERE.parent.parent / "docs"
LABEL3, COMMAND3 = 1023, 1001
MARGIN = 12


def crop(shot, rect, name, margin=MARGIN):
    left, top, right, bottom = rect
    box = (max(0, left - margin), max(0, top - margin), min(shot.width, right + margin),
           min(shot.height, bottom + margin))
    shot.crop(box).save(DOCS / name)
    print(f"docs/{name}: {box[2] - box[0]}x{box[3] - box[1]}")


def main():
    env = WineEnv.from_environ()
    driver = Driver(env)
    Registry(env).delete(SETTINGS_KEY)
    folder = env.drive_c / "vellum-screens"
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "截图").mkdir(parents=True)
    DOCS.mkdir(exist_ok=True)
    program = Program(env, driver, folder / "app")
    try:
        program.start(env={"tmp": env.win_path(folder / "截图")})
        program.wait_main_window(visible=True)
        time.sleep(0.5)
        crop(screenshot(env), program.window()["rect"], "main-window.png")

        driver.click(program.hwnd, LABEL3)
        assert wait_until(lambda: program.windows(cls="VellumAbout", visible=True), 5)
        time.sleep(0.5)
        crop(screenshot(env), program.windows(cls="VellumAbout", visible=True)[0]["rect"],
             "about-box.png")
        driver.key("escape")
        assert wait_until(lambda: not program.windows(cls="VellumAbout", visible=True), 5)

        driver.click(program.hwnd, COMMAND3)
        found = driver.dialog(pid=program.pid, timeout=10)
        time.sleep(1.0)
        crop(screenshot(env), driver.info(found["hwnd"])["rect"], "folder-dialog.png")
        driver.dialog_press(2, pid=program.pid)
        time.sleep(0.5)

        with driver.paint(40, 60, 620, 420):
            driver.mouse("move", (120, 140))
            driver.key("ctrl+alt+a")
            assert wait_until(lambda: program.windows(cls="VellumFmInfo", visible=True), 5)
            driver.mouse("down", (120, 140))
            driver.command("mouse", "move", "250", "220", "380", "300", "--step-ms=40")
            time.sleep(0.1)
            driver.mouse("move", (420, 330))
            time.sleep(0.6)
            crop(screenshot(env), (40, 60, 660, 480), "region-selection.png", margin=0)
            driver.mouse("up", (420, 330))
    finally:
        program.kill()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
