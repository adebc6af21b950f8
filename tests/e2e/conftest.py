"""Fixtures of the end-to-end tests (see vellum_e2e.py for the helpers)."""

import re
import shutil
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))

from vellum_e2e import (  # noqa: E402
    E2E_FOLDER,
    SETTINGS_KEY,
    Driver,
    close_strays,
    E2EError,
    Program,
    Registry,
    Witness,
    WineEnv,
    screenshot,
)


PARKED_POINTER = (1919, 1079)  # the screen's bottom-right pixel


@pytest.fixture(scope="session")
def wine_env():
    """The build, prefix and display; a missing one fails every test with the reason."""
    problem = None
    try:
        env = WineEnv.from_environ()
    except E2EError as e:
        problem = str(e)
    if problem:
        pytest.fail(problem, pytrace=False)
    root = env.drive_c / E2E_FOLDER
    shutil.rmtree(root, ignore_errors=True)
    root.mkdir(parents=True)
    return env


@pytest.fixture(scope="session")
def driver(wine_env):
    return Driver(wine_env)


@pytest.fixture(scope="session")
def registry(wine_env):
    return Registry(wine_env)


@pytest.fixture
def test_dir(wine_env, request):
    """A fresh folder for this test under C:\\vellum-e2e of the prefix."""
    name = re.sub(r"[^A-Za-z0-9_.-]+", "_", request.node.name)[:80]
    folder = wine_env.drive_c / E2E_FOLDER / name
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    return folder


@pytest.fixture
def vellum(wine_env, driver, registry, test_dir, request):
    """The program, not yet started: its own copy in test_dir (so Settings.ini and its output
    are this test's), with the settings store cleared. Ended after the test; on a failure a
    screenshot is left in test_dir."""
    registry.delete(SETTINGS_KEY)
    driver.mouse("move", PARKED_POINTER)
    shown_before = {w["hwnd"] for w in driver.find(visible=True)}
    program = Program(wine_env, driver, test_dir / "app")
    yield program
    report = getattr(request.node, "rep_call", None)
    if report is not None and report.failed:
        try:
            shot = test_dir / "failure-screen.png"
            screenshot(wine_env, shot)
            print(f"\nscreen at the failure: {shot}")
        except Exception as e:  # the failure itself matters more than its screenshot
            print(f"\nno screenshot: {e}")
    program.kill()
    # Leave the pointer where no test looks: a pointer resting on the spot of the next test's
    # click (where a killed window was) can lose that click under Wine.
    driver.mouse("move", PARKED_POINTER)
    close_strays(driver, shown_before)


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    setattr(item, "rep_" + report.when, report)


@pytest.fixture
def witness(wine_env, driver):
    """A focused window of another program that reports the keys it receives."""
    w = Witness(wine_env)
    yield w
    w.close(driver)
