"""DLL planting: a gdiplus.dll or version.dll that someone put beside the program (it runs from
Downloads or a USB stick) is never loaded, neither by the loader at start nor later, while the
GDI+ formats and the About box's version work from the system's copies.

The planted DLLs are tools/planted_dll's stand-ins: whichever process loads one leaves
"<the DLL's path>.loaded" beside it, naming that process. WINEDLLOVERRIDES makes Wine prefer
such a native file over its builtin, as Windows takes whichever file it finds first. Under Wine
even user32.dll imports version.dll: a program that imported user32 at its start would load a
planted version.dll before any of its own code ran."""

import re
import shutil

import pytest
from PIL import Image

from test_about_box import LABEL2, close_with_esc, open_about
from vellum_e2e import CMB_IMG_TYPE_ID, FORMATS, WM_APP, run_captured, wait_for_file

SCREEN_SIZE = (1920, 1080)


def plant(env, folder, names):
    """Copies the stand-ins into the folder; returns the DLL overrides that make Wine take them."""
    for name in names:
        shutil.copy2(env.build_dir / "tools" / "planted_dll" / f"{name}.dll", folder)
    return ";".join(f"{name}=n,b" for name in names)


def loads(folder):
    """{planted DLL: the executable that loaded it} for every marker in the folder. A marker is
    named as the loader spelt the DLL ("VERSION.dll" from an import table)."""
    return {m.name[:-len(".loaded")].lower(): m.read_bytes().decode("utf-16-le")
            for m in folder.iterdir() if m.name.lower().endswith(".dll.loaded")}


def version_text(source_dir):
    rc = (source_dir / "res" / "Vellum_Capture.rc").read_text(encoding="utf-8")
    return re.search(r'#define VELLUM_VERSION_TEXT "([^"]+)"', rc).group(1)


def test_the_planted_dlls_load_where_the_search_takes_them(wine_env, test_dir):
    # Without this the test below would prove nothing: the witness imports version.dll and
    # loads gdiplus.dll by bare name, and both copies beside it are taken.
    folder = test_dir / "witness"
    folder.mkdir()
    witness = shutil.copy2(wine_env.build_dir / "tools" / "planted_dll" / "planting_witness.exe",
                           folder)
    overrides = plant(wine_env, folder, ["gdiplus", "version"])
    code, _, err = run_captured([wine_env.wine, str(witness)], wine_env.environ(overrides), 60)
    assert code == 0, err.decode(errors="replace")
    assert set(loads(folder)) == {"gdiplus.dll", "version.dll"}
    assert all(loader.lower().endswith("\\planting_witness.exe")
               for loader in loads(folder).values()), loads(folder)


@pytest.mark.parametrize("planted", ["gdiplus", "version"])
def test_a_planted_dll_beside_the_program_is_never_loaded(vellum, test_dir, planted):
    overrides = plant(vellum.env, vellum.folder, [planted])
    out = test_dir / "out"
    out.mkdir()
    try:
        vellum.start_shown(env={"tmp": vellum.env.win_path(out)}, dll_overrides=overrides)
    finally:
        # First: a planted DLL without the real one's functions may keep the program from
        # starting at all.
        assert loads(vellum.folder) == {}, "loaded at start"

    # GDI+ came from system32: every format is offered, and a PNG capture is written.
    combo = vellum.control(CMB_IMG_TYPE_ID)
    assert combo["items"] == FORMATS and combo["enabled"] and combo["text"] == "png", combo
    vellum.driver.post(vellum.hwnd, WM_APP + 1)
    saved = out / "PXGR_Cap_1.png"
    assert wait_for_file(saved), f"no {saved.name} in {sorted(p.name for p in out.iterdir())}"
    with Image.open(saved) as image:
        assert image.format == "PNG" and image.size == SCREEN_SIZE

    # version.dll came from system32: the About box reads the version resource.
    about = open_about(vellum)
    expected = "Ver: " + version_text(vellum.env.source_dir)
    assert vellum.driver.info(about["hwnd"], LABEL2)["text"] == expected
    close_with_esc(vellum, about)

    assert vellum.close() == 0
    assert loads(vellum.folder) == {}
